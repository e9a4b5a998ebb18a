// A played level written by the test: a background, a playfield and a plate
// container, plates with slots of chosen kinds, a shooter on the line y = 550, a
// panel and a progress bar. Pictures have sizes by name, so the margins of
// the rules come out in round numbers: treasures 30 x 30, the shooter
// 80 x 80, plates 100 x 40, slots 20 x 20, everything else 8 x 8.
#pragma once

#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Stage.h"
#include "game/play/Jewel.h"
#include "game/play/PlayState.h"
#include "game/play/Shooter.h"
#include "game/play/Slot.h"
#include "support/PlayFixture.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace LumoTest {

class SizedPictureHost : public SmallPictureHost {
public:
    Lumo::MemoryImage* GetImage(const std::string& path) override
    {
        int width = 8;
        int height = 8;
        const auto has = [&path](const char* text) { return path.find(text) != std::string::npos; };
        if (has("jewel") || has("wild")) {
            width = height = 30;
        } else if (has("shooter.png")) {
            width = height = 80;
        } else if (has("plate.png")) {
            width = 100;
            height = 40;
        } else if (has("slot") || has("outline")) {
            width = height = 20;
        }
        std::vector<uint32_t> pixels(size_t(width * height), 0xFF336699u);
        auto* image = new Lumo::MemoryImage();
        image->SetBits(pixels.data(), width, height, true);
        return image;
    }
};

// A slot on a plate: its kind and its place relative to the plate.
struct TestSlot {
    int kind;
    float x;
    float y;
};

// A plate of the container: its factory key, place and slots.
struct TestPlate {
    float x;
    float y;
    std::vector<TestSlot> slots;
    std::string type = "block_plate";
};

struct TestLevelSpec {
    std::string name = "level_one";
    std::vector<TestPlate> plates = {{150.0f, 200.0f, {{5, 0.0f, 0.0f}}}};
    // Stages every plate has after its looping one (a "fade_out", say).
    std::string plateLaterStages;
    // The playfield's stages, the first one current.
    std::vector<std::string> middleStages = {"scrolling", "still", "scrolling2", "victory", "defeat"};
    // The playfield's name ("tiles" is the one the scroll rules drive) and
    // what its first stage carries besides (filters, say).
    std::string middleName = "field";
    std::string firstMiddleStageExtra;
    // A scroll point far above: the shooter reloads freely.
    bool scrollPoint = true;
    float scrollPointY = -5000.0f;
    // Further scroll points at these heights ("point2", "point3", ...).
    std::vector<float> moreScrollPoints;
    bool panel = true;
    bool progressBar = true;
    // The level sits at the screen's centre, as the game's levels do; the
    // coordinates written here stay screen coordinates all the same.
    bool centred = false;
    // More objects inside the level (in its own coordinates), inside the
    // plate container (after the plates), and inside the shooter.
    std::string extra;
    std::string container;
    std::string shooterChildren;
};

class ShooterLevelFixture : public PlayFixture {
protected:
    ShooterLevelFixture() { UseSizedPictures(); }

    void UseSizedPictures() { mGame->mImageCache.SetPlatform(&mPicturePlatform); }

    static std::string Still(float x, float y)
    {
        return "<attribute type=\"x\" start=\"" + std::to_string(x) + "\" end=\"" + std::to_string(x) +
               "\">\n<attribute type=\"y\" start=\"" + std::to_string(y) + "\" end=\"" + std::to_string(y) + "\">\n";
    }
    static std::string Looping(const std::string& name = "")
    {
        return "<stage" + (name.empty() ? std::string() : " name=\"" + name + "\"") +
               " ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n";
    }

    static std::string LevelXml(const TestLevelSpec& spec)
    {
        const float cx = spec.centred ? GameState::kScreenWidth / 2.0f : 0.0f;
        const float cy = spec.centred ? GameState::kScreenHeight / 2.0f : 0.0f;
        std::string xml = "<object type=\"level\" name=\"" + spec.name + "\">\n" + Looping("play");
        if (spec.centred)
            xml += Still(cx, cy);
        xml += "<object type=\"layer\" name=\"outer\">\n" + Looping();
        if (spec.centred)
            xml += Still(-cx, -cy);
        xml += "<object type=\"layer\" name=\"" + spec.middleName + "\">\n";
        for (size_t i = 0; i < spec.middleStages.size(); ++i)
            xml += Looping(spec.middleStages[i]) + (i == 0 ? spec.firstMiddleStageExtra : std::string());
        xml += "<object type=\"layer\" name=\"container\">\n" + Looping();
        if (spec.scrollPoint)
            xml += "<object type=\"scroll_point\" name=\"point\">\n" + Looping() + Still(400.0f, spec.scrollPointY) +
                   "</object>\n";
        for (size_t i = 0; i < spec.moreScrollPoints.size(); ++i)
            xml += "<object type=\"scroll_point\" name=\"point" + std::to_string(i + 2) + "\">\n" + Looping() +
                   Still(400.0f, spec.moreScrollPoints[i]) + "</object>\n";
        for (const TestPlate& plate : spec.plates) {
            xml += "<object type=\"" + plate.type + "\" num_jewels=\"0\" image=\"gfx\\plate.png\">\n" + Looping() +
                   Still(plate.x, plate.y) + spec.plateLaterStages;
            for (const TestSlot& slot : plate.slots)
                xml += "<object type=\"slot\" number=\"" + std::to_string(slot.kind) + "\">\n" + Looping() +
                       Still(slot.x, slot.y) + "</object>\n";
            xml += "</object>\n";
        }
        xml += spec.container;
        xml += "</object>\n</object>\n</object>\n";
        // The shooter's stage holds it on its line; x is the mouse's.
        xml += "<object type=\"shooter\" name=\"shooter\" image=\"gfx\\shooter.png\">\n" + Looping("ready") +
               "<attribute type=\"y\" start=\"" + std::to_string(550.0f - cy) + "\" end=\"" +
               std::to_string(550.0f - cy) + "\">\n" + spec.shooterChildren + "</object>\n";
        if (spec.panel)
            xml += "<object type=\"panel\" name=\"panel\" image=\"gfx\\panel.png\">\n" + Looping() + Still(400.0f - cx, 580.0f - cy) +
                   "</object>\n";
        if (spec.progressBar)
            xml += "<object type=\"progress_bar\" name=\"bar\">\n" + Looping() + Still(700.0f - cx, 580.0f - cy) + "</object>\n";
        xml += spec.extra;
        xml += "</object>\n";
        return xml;
    }

    // Writes and opens the level; the playfield's objects get the kinds the
    // rules look for even where their classes are not built yet.
    Level* OpenTestLevel(const TestLevelSpec& spec = TestLevelSpec())
    {
        return OpenTestLevelXml(spec.name, LevelXml(spec), spec.middleName);
    }
    // The same for a level's XML the test has added to.
    Level* OpenTestLevelXml(const std::string& name, const std::string& xml, const std::string& middleName = "field")
    {
        Level* level = OpenLevel("levels/" + name + ".xml", xml);
        if (level == nullptr)
            return nullptr;
        AnimObject* outer = level->FindChildByName("outer");
        AnimObject* middle = outer != nullptr ? outer->FindChildByName(middleName.c_str()) : nullptr;
        AnimObject* inner = middle != nullptr ? middle->FindChildByName("container") : nullptr;
        for (AnimObject* layer : {outer, middle, inner}) {
            if (layer != nullptr)
                layer->mKind = kKindLayer;
        }
        if (inner != nullptr) {
            for (AnimObject* child = inner->mChildren.Head(); child != nullptr; child = child->mNext) {
                if (std::strncmp(child->mName, "point", 5) == 0)
                    child->mKind = kKindScrollPoint;
            }
        }
        return level;
    }

    Level* CurrentTestLevel() const { return dynamic_cast<Level*>(mGame->mLiveObjects.Tail()); }
    AnimObject* Middle() const { return mGame->mMiddleLayer; }
    AnimObject* Inner() const { return mGame->mInnerLayer; }
    Shooter* GetShooter() const { return dynamic_cast<Shooter*>(mGame->mShooter); }

    // The treasures on the shooter, in child order.
    std::vector<Jewel*> Pieces() const
    {
        std::vector<Jewel*> pieces;
        if (Shooter* shooter = GetShooter()) {
            for (AnimObject* child = shooter->mChildren.Head(); child != nullptr; child = child->mNext) {
                if (child->mKind == kKindJewel)
                    pieces.push_back(dynamic_cast<Jewel*>(child));
            }
        }
        return pieces;
    }
    // The treasures flying in the plate container.
    std::vector<Jewel*> Flying() const
    {
        std::vector<Jewel*> flying;
        if (AnimObject* inner = Inner()) {
            for (AnimObject* child = inner->mChildren.Head(); child != nullptr; child = child->mNext) {
                if (child->mKind == kKindJewel)
                    flying.push_back(dynamic_cast<Jewel*>(child));
            }
        }
        return flying;
    }
    static std::string StageOf(const AnimObject* object)
    {
        return object != nullptr && object->CurrentStage() != nullptr ? object->CurrentStage()->mName : "";
    }

    // The slot of the plate container at that place on screen, or null.
    Slot* SlotAt(float x, float y) const
    {
        for (AnimObject* plate = Inner()->mChildren.Head(); plate != nullptr; plate = plate->mNext) {
            for (AnimObject* child = plate->mChildren.Head(); child != nullptr; child = child->mNext) {
                if (child->mKind == kKindSlot && std::fabs(child->mWorld[kAttrX] - x) < 0.5f &&
                    std::fabs(child->mWorld[kAttrY] - y) < 0.5f)
                    return static_cast<Slot*>(child);
            }
        }
        return nullptr;
    }

    // Ticks until the shooter holds a ready treasure (at most `limit`); true when it does.
    bool TickUntilReady(int limit = 400)
    {
        for (int i = 0; i < limit; ++i) {
            Shooter* shooter = GetShooter();
            if (shooter != nullptr && shooter->ReadyPiece() != nullptr)
                return true;
            Tick();
        }
        return false;
    }

    // A left click at (x, y), taken by the level at the next tick.
    void ClickAt(float x, float y = 300.0f) { MovePointer(x, y, true); }

    SizedPictureHost mPictureHost;
    Platform mPicturePlatform{&mPictureHost};
};

} // namespace LumoTest

using LumoTest::ShooterLevelFixture;
using LumoTest::TestLevelSpec;
using LumoTest::TestPlate;
using LumoTest::TestSlot;
