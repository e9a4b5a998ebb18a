#include "game/engine/GameDataLoader.h"

#include "game/engine/GameFile.h"
#include "game/engine/GameHooks.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageCache.h"
#include "game/engine/LevelRecord.h"
#include "game/engine/LoadMessages.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/ObjectXmlReader.h"
#include "game/engine/SoundLayer.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

enum class Numbering { Zero, FromOne, FromZero };

// Copies the first tag's name or title into the record, telling a cut.
void CopyRecordText(char (&field)[LevelRecord::kTextSize], const char* text, const ObjectXmlReader& reader,
                    const char* what)
{
    const size_t length = std::strlen(text);
    const size_t kept = std::min(length, size_t(LevelRecord::kTextSize - 1));
    std::memcpy(field, text, kept);
    field[kept] = '\0';
    if (kept < length)
        reader.Report(std::string(what) + " \"" + text + "\" cut to 63 characters");
}

void AddLevelRecord(ObjectList<LevelRecord>& list, Numbering numbering, const ObjectXmlElement& element,
                    const ObjectXmlReader& index)
{
    const LevelRecord* previous = list.Tail();
    LevelRecord* record = list.Append(new LevelRecord);
    switch (numbering) {
    case Numbering::Zero:
        record->mNumber = 0;
        break;
    case Numbering::FromOne:
        record->mNumber = previous != nullptr ? previous->mNumber + 1 : 1;
        break;
    case Numbering::FromZero:
        record->mNumber = previous != nullptr ? previous->mNumber + 1 : 0;
        break;
    }
    const char* fileName = element.GetAttribute("name");
    record->mFileName = fileName != nullptr ? fileName : "";
    size_t size = 0;
    record->mText = ReadWholeFile(record->mFileName.c_str(), size);
    if (!record->mText) {
        // The record keeps its number: profiles count progress by number.
        index.Report("level file \"" + record->mFileName + "\" cannot be read; level " +
                     std::to_string(record->mNumber) + " has no screen");
        return;
    }
    record->mTextLength = int(size);
    ObjectXmlReader reader(record->mText.get(), record->mFileName);
    ObjectXmlElement first;
    if (!reader.Next(first))
        return;
    if (const char* name = first.GetAttribute("name"))
        CopyRecordText(record->mName, name, reader, "level name");
    if (const char* title = first.GetAttribute("title"))
        CopyRecordText(record->mTitle, title, reader, "level title");
}

} // namespace

void LoadGameData(const char* fileName)
{
    GameState& game = Game();
    std::string name = fileName != nullptr ? fileName : "";
    const size_t eco = name.find(".eco");
    if (eco != std::string::npos)
        name.replace(eco, 4, ".xml");

    size_t size = 0;
    std::unique_ptr<char[]> text = ReadWholeFile(name.c_str(), size);
    if (!text)
        LoadMessages::Report(name, 0, "the game data index cannot be read");

    ObjectXmlReader reader(text.get(), name);
    ObjectXmlElement element;
    while (!game.IsQuitting() && reader.Next(element) && !element.IsTag("/game")) {
        if (element.IsTag("loading")) {
            const int percent = element.GetAttributeInt("percent");
            game.SetLoadingState(std::clamp(percent, kMinIndexPercent, kMaxIndexPercent));
        } else if (element.IsTag("global")) {
            game.mHooks->ReadTuning(element);
        } else if (element.IsTag("image")) {
            const char* image = element.GetAttribute("name");
            if (game.mImageCache.Get(image, element.GetAttributeFloat("frame_width"),
                                     element.GetAttributeFloat("frame_height"), element.GetAttributeInt("num_frames"),
                                     element.GetAttributeFloat("fps")) == nullptr)
                reader.Report(std::string("image \"") + (image != nullptr ? image : "") + "\" cannot be loaded");
        } else if (element.IsTag("font")) {
            game.mHooks->LoadFont(element);
        } else if (element.IsTag("kern")) {
            game.mHooks->KernFont(element);
        } else if (element.IsTag("sound")) {
            game.mSound->GetSample(element.GetAttribute("name"), element.GetAttributeInt("loop"), 0);
        } else if (element.IsTag("level_file")) {
            AddLevelRecord(game.mMainLevels, Numbering::Zero, element, reader);
        } else if (element.IsTag("level_file_game")) {
            AddLevelRecord(game.mMainLevels, Numbering::FromOne, element, reader);
        } else if (element.IsTag("level_file_relaxed")) {
            AddLevelRecord(game.mRelaxedLevels, Numbering::FromOne, element, reader);
        } else if (element.IsTag("level_file_trick")) {
            AddLevelRecord(game.mTrickLevels, Numbering::FromZero, element, reader);
        }
    }
    if (game.IsQuitting())
        return;

    // Without a first screen the empty live list would close the game silently.
    bool found = false;
    for (const LevelRecord* record = game.mMainLevels.Head(); record != nullptr && !found; record = record->mNext)
        found = std::strcmp(record->mName, "main_menu") == 0;
    if (!found)
        LoadMessages::Report(name, 0, "no screen named \"main_menu\" to open");
    InsertLevelByName("main_menu");
}
