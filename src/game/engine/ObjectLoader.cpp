#include "game/engine/ObjectLoader.h"

#include "game/engine/AnimObject.h"
#include "game/engine/CursorObject.h"
#include "game/engine/GameFile.h"
#include "game/engine/GameHooks.h"
#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/LevelRecord.h"
#include "game/engine/LoadMessages.h"
#include "game/engine/ObjectXmlReader.h"
#include "game/engine/ParticleEmitter.h"
#include "game/engine/TextObject.h"
#include "game/engine/UiControls.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

// What one build call carries down into the files it loads.
struct LoadContext {
    // The files being read, outermost first, as lookup keys.
    std::vector<std::string> files;
    // The last screen this call opened.
    AnimObject* openedScreen = nullptr;
    // Files loaded so far.
    int loads = 0;
};

// The name as the file layer finds it: case and separator kind do not matter.
std::string FileKey(const char* name)
{
    std::string key = name != nullptr ? name : "";
    for (char& c : key)
        c = c == '/' ? '\\' : char(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

// The engine's own kinds of object; the others come from the game.
AnimObject* CreateEngineObject(const char* type)
{
    if (std::strcmp(type, "text") == 0)
        return new TextObject;
    if (std::strcmp(type, "cursor") == 0)
        return new CursorObject;
    if (std::strcmp(type, "emitter") == 0)
        return new ParticleEmitter;
    if (AnimObject* control = CreateControlObject(type))
        return control;
    return nullptr;
}

AnimObject* CreateObjectOfType(const char* type)
{
    if (AnimObject* object = CreateEngineObject(type))
        return object;
    if (AnimObject* object = Game().mHooks->CreateGameObject(type))
        return object;
    return AnimObject::TakeFromPool();
}

AnimObject* CreateObjects(const char* text, AnimObject* parent, const std::string& fileName, LoadContext& context);

AnimObject* LoadObject(const char* fileName, AnimObject* parent, LoadContext& context, const ObjectXmlReader* from)
{
    if (fileName == nullptr)
        return nullptr;
    const std::string key = FileKey(fileName);
    const auto report = [&](const std::string& what) {
        if (from != nullptr)
            from->Report(what);
        else
            LoadMessages::Report(fileName, 0, what);
    };
    if (std::find(context.files.begin(), context.files.end(), key) != context.files.end()) {
        report(std::string("\"") + fileName + "\" loads itself; not loaded again");
        return nullptr;
    }
    if (int(context.files.size()) >= kMaxFileDepth) {
        report(std::string("\"") + fileName + "\" is nested more than 16 files deep; not loaded");
        return nullptr;
    }
    if (context.loads == kMaxFileLoads) {
        report(std::string("\"") + fileName + "\" would be file number 257 of one build; not loaded");
        return nullptr;
    }
    ++context.loads;
    size_t size = 0;
    std::unique_ptr<char[]> text = ReadWholeFile(fileName, size);
    if (!text) {
        report(std::string("\"") + fileName + "\" cannot be read");
        return nullptr;
    }
    context.files.push_back(key);
    AnimObject* result = CreateObjects(text.get(), parent, fileName, context);
    context.files.pop_back();
    return result;
}

// The object the non-object elements go to: the innermost open one.
AnimObject* OpenObject(AnimObject* const* stack, int depth, const ObjectXmlElement& element,
                       const ObjectXmlReader& reader)
{
    AnimObject* object = stack[depth - 1];
    if (object == nullptr)
        reader.Report(std::string("\"") + element.GetTagName() + "\" outside any object; ignored");
    return object;
}

// The object that a stage part goes to: the innermost open one, once it has a stage.
AnimObject* StagedObject(AnimObject* const* stack, int depth, const ObjectXmlElement& element,
                         const ObjectXmlReader& reader)
{
    AnimObject* object = OpenObject(stack, depth, element, reader);
    if (object != nullptr && object->mStages.IsEmpty()) {
        reader.Report(std::string("\"") + element.GetTagName() + "\" before the object's first stage; ignored");
        return nullptr;
    }
    return object;
}

AnimObject* CreateObjects(const char* text, AnimObject* parent, const std::string& fileName, LoadContext& context)
{
    GameState& game = Game();
    ObjectXmlReader reader(text, fileName);
    ObjectXmlElement element;
    AnimObject* stack[kMaxObjectDepth + 1] = {};
    stack[0] = parent;
    int depth = 1;
    AnimObject* result = nullptr;
    // The level test looks at the most recent "type" of any element.
    std::string lastType;

    if (!reader.Next(element))
        return nullptr;
    do {
        if (const char* type = element.GetAttribute("type"))
            lastType = type;

        if (element.IsTag("object")) {
            if (depth > kMaxObjectDepth) {
                reader.Fail("objects nested more than 255 deep; the rest of the text is not read");
                break;
            }
            if (lastType == "level") {
                Level* level = new Level;
                game.mLiveObjects.Append(level);
                context.openedScreen = level;
                stack[depth] = level;
                level->ReadXmlAttributes(element);
                level->mKind = 6;
                ++depth;
            } else {
                AnimObject* owner = stack[depth - 1];
                if (owner == nullptr) {
                    reader.Fail("an object with no parent to belong to; the text is refused");
                    break;
                }
                const char* type = element.GetAttribute("type");
                AnimObject* child = owner->AddChild(CreateObjectOfType(type != nullptr ? type : "generic"));
                if (child == nullptr) {
                    reader.Fail("no room for another object; the rest of the text is not read");
                    break;
                }
                stack[depth] = child;
                child->ReadXmlAttributes(element);
                if (depth == 1)
                    result = child;
                ++depth;
            }
        } else if (element.IsTag("/object")) {
            if (depth <= 1) {
                reader.Report("\"/object\" with no object open; ignored");
            } else {
                stack[depth - 1]->InitAfterLoad();
                --depth;
                if (depth < 2)
                    return result;
            }
        } else if (element.IsTag("load_object_from_file")) {
            const char* file = element.GetAttribute("file");
            if (file == nullptr) {
                reader.Report("\"load_object_from_file\" without \"file\"; ignored");
            } else if (AnimObject* loaded = LoadObject(file, stack[depth - 1], context, &reader)) {
                loaded->SetFileName(file);
            }
        } else if (element.IsTag("stage")) {
            if (AnimObject* object = OpenObject(stack, depth, element, reader))
                object->ReadStageElement(element);
        } else if (element.IsTag("attribute")) {
            if (AnimObject* object = StagedObject(stack, depth, element, reader))
                object->ReadAttributeElement(element);
        } else if (element.IsTag("filter")) {
            if (AnimObject* object = StagedObject(stack, depth, element, reader))
                object->ReadFilterElement(element);
        } else if (element.IsTag("event")) {
            if (AnimObject* object = StagedObject(stack, depth, element, reader))
                object->ReadEventElement(element);
        } else if (element.IsTag("set_game_mode")) {
            game.mHooks->SetProfileMode(element.GetAttributeInt("number"));
        } else if (stack[depth - 1] != nullptr) {
            // A class's own elements ("emitter_stage"); the base ignores them.
            stack[depth - 1]->ReadOwnElement(element);
        }
    } while (depth > 1 && !game.IsQuitting() && reader.Next(element));
    return nullptr;
}

AnimObject* BuildRecord(const LevelRecord& record, int levelNumber)
{
    if (!record.mText)
        return nullptr;
    LoadContext context;
    context.files.push_back(FileKey(record.mFileName.c_str()));
    CreateObjects(record.mText.get(), nullptr, record.mFileName, context);
    // Only a screen this call opened takes the number: an older one must not.
    if (Level* level = dynamic_cast<Level*>(context.openedScreen)) {
        if (Game().mLiveObjects.Contains(level))
            level->mLevelNumber = uint32_t(levelNumber);
        return level;
    }
    return nullptr;
}

const LevelRecord* FindRecordByNumber(const ObjectList<LevelRecord>& list, int number)
{
    for (const LevelRecord* record = list.Head(); record != nullptr; record = record->mNext) {
        if (record->mNumber == number)
            return record;
    }
    return nullptr;
}

} // namespace

AnimObject* CreateObjectsFromXml(const char* text, AnimObject* parent, const char* fileName)
{
    LoadContext context;
    return CreateObjects(text, parent, fileName != nullptr ? fileName : "", context);
}

AnimObject* LoadObjectFromFile(const char* fileName, AnimObject* parent)
{
    LoadContext context;
    return LoadObject(fileName, parent, context, nullptr);
}

AnimObject* InsertLevelRecord(const LevelRecord& record)
{
    return BuildRecord(record, record.mNumber);
}

void InsertLevelByName(const char* name)
{
    if (name == nullptr)
        return;
    GameState& game = Game();
    for (const LevelRecord* record = game.mMainLevels.Head(); record != nullptr; record = record->mNext) {
        if (std::strcmp(record->mName, name) == 0) {
            BuildRecord(*record, record->mNumber);
            game.mHooks->ResetTickClock();
            return;
        }
    }
}

void InsertLevelByNumber(int number)
{
    GameState& game = Game();
    const LevelRecord* record = nullptr;
    if (number >= 1000)
        record = FindRecordByNumber(game.mTrickLevels, number - 1000);
    else if (game.mHooks->GetProfileMode() == 1)
        record = FindRecordByNumber(game.mRelaxedLevels, number);
    else
        record = FindRecordByNumber(game.mMainLevels, number);
    if (record != nullptr)
        BuildRecord(*record, record->mNumber);
    game.mHooks->ResetTickClock();
}
