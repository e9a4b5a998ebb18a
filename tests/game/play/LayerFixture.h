// A played level for the layer tests: the engine's test world with the
// gameplay's object kinds, plus "test_plate", a stand-in plate of kind 17
// whose picture size the test chooses through its image's frame size.
#pragma once

#include "game/engine/ImageRecord.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/Stage.h"
#include "game/play/GameObjectFactory.h"
#include "game/play/Layer.h"
#include "game/play/PlayState.h"
#include "support/GameDataFixture.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace LumoTest {

// A plate of kind 17 with no rules; its picture takes the frame size of
// "frame_width" and "frame_height" when given.
class TestPlate : public AnimObject {
public:
    TestPlate() { mKind = kKindPlate; }
    void ReadXmlAttributes(const ObjectXmlElement& element) override
    {
        AnimObject::ReadXmlAttributes(element);
        // The picture's name is the test's own for that size.
        if (mImage != nullptr && element.HasAttribute("frame_width")) {
            mImage->mFrameWidth = element.GetAttributeFloat("frame_width");
            mImage->mFrameHeight = element.GetAttributeFloat("frame_height");
        }
    }
};

class PlayRecordingHooks : public RecordingHooks {
public:
    AnimObject* CreateGameObject(const char* type) override
    {
        if (type != nullptr && std::strcmp(type, "test_plate") == 0)
            return new TestPlate;
        return ::CreateGameObject(type);
    }
};

class LayerFixture : public GameDataFixture {
protected:
    LayerFixture()
    {
        mGame->mHooks = &playHooks;
        Play().Reset();
        Tuning().mScrollingSlowPoint = 120.0f;
        Tuning().mBaseScrollSpeed = 0.02f;
        mGame->mProfiles.Current().mDifficulty = 0.1f;
        mGame->mProfiles.Current().mExplainFloodShown = 1;
    }
    ~LayerFixture() override
    {
        Play().Reset();
    }

    // Writes a file of the test's data folder (backslashes become folders).
    void WriteFile(std::string name, const std::string& text)
    {
        for (char& c : name)
            c = c == '\\' ? '/' : c;
        const std::string path = mFolder.Path() + "/" + name;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }

    // The level of the layer tests at (400, 300): a background layer holding
    // the playfield "tiles" (its stage named by the test), holding the plate
    // container with the given children.
    void OpenLevel(int mode, const std::string& playfieldStage, const std::string& playfieldChildren,
                   const std::string& containerChildren)
    {
        playHooks.mode = mode;
        const std::string text =
            "<object type=\"level\" name=\"test_level\">\n"
            "<stage name=\"play\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
            "<attribute type=\"x\" start=\"400\" end=\"400\">\n"
            "<attribute type=\"y\" start=\"300\" end=\"300\">\n"
            "<object type=\"layer\" name=\"background\">\n"
            "<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
            "<object type=\"layer\" name=\"tiles\">\n"
            "<stage name=\"" + playfieldStage + "\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
            "<stage name=\"defeat\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n" +
            playfieldChildren +
            "<object type=\"layer\" name=\"plate_container\">\n"
            "<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n" +
            containerChildren +
            "</object>\n</object>\n</object>\n</object>\n";
        CreateObjectsFromXml(text.c_str(), nullptr, "test_level.xml");
        ASSERT_NE(Topmost(), nullptr);
    }

    // An object line with a still stage at (x, y).
    static std::string Placed(const std::string& type, const std::string& name, float x, float y,
                              const std::string& extra = "")
    {
        return "<object type=\"" + type + "\" name=\"" + name + "\"" + extra + ">\n"
               "<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
               "<attribute type=\"x\" start=\"" + std::to_string(x) + "\" end=\"" + std::to_string(x) + "\">\n"
               "<attribute type=\"y\" start=\"" + std::to_string(y) + "\" end=\"" + std::to_string(y) + "\">\n"
               "</object>\n";
    }

    // The level is the bottom screen; others may open over it.
    AnimObject* TestLevel() const { return mGame->mLiveObjects.Head(); }
    Layer* Background() const { return dynamic_cast<Layer*>(TestLevel()->FindChildOfKind(kKindLayer)); }
    Layer* Playfield() const { return dynamic_cast<Layer*>(Background()->FindChildOfKind(kKindLayer)); }
    Layer* Container() const { return dynamic_cast<Layer*>(Playfield()->FindChildOfKind(kKindLayer)); }

    PlayRecordingHooks playHooks;
};

} // namespace LumoTest

using LumoTest::LayerFixture;
