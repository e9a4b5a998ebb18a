// Builds objects from object XML: one object per "object" element, made by
// its "type", nested by the closing tags, with the stage, attribute, filter
// and event elements fed to the object being built. A text whose object is a
// "level" opens a new screen at the top of the live list.
#pragma once

class AnimObject;
class LevelRecord;

// Deepest nesting of objects in one text, and of files loading files.
constexpr int kMaxObjectDepth = 255;
constexpr int kMaxFileDepth = 16;
// Files one build may load in all: files that each load the next one twice
// would otherwise grow the work without bound.
constexpr int kMaxFileLoads = 256;

// Builds the objects of the text under the parent. Returns the object opened
// at the top of the text once its closing tag is read; null for a level text,
// for a text refused or cut short (told through LoadMessages), and when the
// game quits while it is read. The file name is used in messages.
AnimObject* CreateObjectsFromXml(const char* text, AnimObject* parent, const char* fileName = "object xml");

// The same for a file; null when it cannot be read.
AnimObject* LoadObjectFromFile(const char* fileName, AnimObject* parent);

// Opens the stored screen of that name (main level list, exact name) as the
// new topmost screen with the record's number; nothing when none has it.
void InsertLevelByName(const char* name);
// Opens the level of that number: 1000 and above from the trick list
// (number - 1000), else from the relaxed list in mode 1 and the main list
// otherwise. The tick clock restarts even when no record has the number.
void InsertLevelByNumber(int number);

// Builds the record's screen; the screen it opened, or null.
AnimObject* InsertLevelRecord(const LevelRecord& record);
