// Played levels with obstacles, written by the test: the shooter level of
// ShooterLevelFixture with bumpers, turrets and warps in its plate
// container, pictures of round sizes for them, and flying treasures put
// into the container by hand. Sizes: rectangular bumper 160 x 32, round
// bumper 44 x 44, triangular bumper 64 x 48, turret 40 x 40 with a 10 x 30
// barrel and a 10 x 20 muzzle, warp 40 x 40; treasures are 30 x 30.
#pragma once

#include "ShooterLevelFixture.h"

#include "game/engine/EasingKind.h"
#include "game/engine/Filter.h"
#include "game/engine/TextObject.h"
#include "game/play/Bumper.h"
#include "game/play/Turret.h"
#include "game/play/Warp.h"

#include <string>
#include <vector>

namespace LumoTest {

class ObstaclePictureHost : public SizedPictureHost {
public:
    Lumo::MemoryImage* GetImage(const std::string& path) override
    {
        struct Size {
            const char* name;
            int width;
            int height;
        };
        static const Size kSizes[] = {
            {"bumper_rect", 160, 32}, {"bumper_round", 44, 44}, {"bumper_tri", 64, 48}, {"turret_barrel", 10, 30},
            {"turret_muzzle", 10, 20}, {"turret.png", 40, 40},  {"warp.png", 40, 40},
        };
        for (const Size& size : kSizes) {
            if (path.find(size.name) != std::string::npos) {
                std::vector<uint32_t> pixels(size_t(size.width * size.height), 0xFF884422u);
                auto* image = new Lumo::MemoryImage();
                image->SetBits(pixels.data(), size.width, size.height, true);
                return image;
            }
        }
        return SizedPictureHost::GetImage(path);
    }
};

class ObstacleFixture : public ShooterLevelFixture {
protected:
    ObstacleFixture() { mGame->mImageCache.SetPlatform(&mObstaclePlatform); }

    // A looping stage holding the object at (x, y) turned by the rotation,
    // with more stage content (events, filters) after it.
    static std::string Placed(float x, float y, float rotation = 0.0f, const std::string& more = "")
    {
        std::string xml = Looping() + Still(x, y);
        if (rotation != 0.0f)
            xml += "<attribute type=\"rotation\" start=\"" + std::to_string(rotation) + "\" end=\"" +
                   std::to_string(rotation) + "\">\n";
        return xml + more;
    }
    // "rect_bumper", "round_bumper" or "tri_bumper" with its picture; the
    // stages are given whole when not empty.
    static std::string BumperXml(const std::string& type, float x, float y, float rotation = 0.0f,
                                 const std::string& stages = "")
    {
        const std::string picture = type == "rect_bumper" ? "bumper_rect" : type == "round_bumper" ? "bumper_round"
                                                                                                  : "bumper_tri";
        return "<object type=\"" + type + "\" name=\"" + picture + "\" image=\"gfx\\level\\" + picture +
               ".png\" z_order=\"1.2\">\n" + (stages.empty() ? Placed(x, y, rotation) : stages) + "</object>\n";
    }
    // A turret at (x, y) with its barrel turned by the rotation; without
    // parts it has neither barrel nor muzzle.
    static std::string TurretXml(float x, float y, float barrelRotation, bool parts = true)
    {
        std::string xml = "<object type=\"turret\" name=\"turret\" image=\"gfx\\level\\turret.png\" z_order=\"1.3\">\n" +
                          Placed(x, y);
        if (parts)
            xml += "<object name=\"barrel\" image=\"gfx\\level\\turret_barrel.png\">\n" + Placed(0.0f, 0.0f, barrelRotation) +
                   "<object name=\"muzzle\" image=\"gfx\\level\\turret_muzzle.png\">\n" + Placed(0.0f, -20.0f) +
                   "</object>\n</object>\n";
        return xml + "</object>\n";
    }
    static std::string WarpXml(float x, float y, const std::string& name = "warp")
    {
        return "<object type=\"warp\" name=\"" + name + "\" image=\"gfx\\level\\warp.png\" z_order=\"1.2\">\n" +
               Placed(x, y) + "</object>\n";
    }

    // A treasure flying in the plate container at (x, y), moving (vx, vy) a
    // tick, long enough in flight that its next bounce counts.
    Jewel* AddFlyingTreasure(int kind, float x, float y, float vx, float vy)
    {
        auto* treasure = new Jewel(kind);
        treasure->GoToStage("shooting");
        treasure->VelocityFilterX()->mAmplitude = vx;
        treasure->VelocityFilterY()->mAmplitude = vy;
        treasure->mTicksSinceBounce = 10;
        treasure->mLocal[kAttrX] = x;
        treasure->mLocal[kAttrY] = y;
        Inner()->AddChild(treasure);
        treasure->RefreshWorld();
        return treasure;
    }
    static float VelocityX(const Jewel& treasure) { return treasure.VelocityFilterX()->mAmplitude; }
    static float VelocityY(const Jewel& treasure) { return treasure.VelocityFilterY()->mAmplitude; }

    template <class T>
    T* FindInner(const char* name) const
    {
        return Inner() != nullptr ? dynamic_cast<T*>(Inner()->FindChildByName(name)) : nullptr;
    }
    int Score() { return Profile().mScore; }
    // The texts the level shows.
    bool Shows(const std::string& text) const
    {
        Level* level = CurrentTestLevel();
        for (AnimObject* child = level != nullptr ? level->mChildren.Head() : nullptr; child != nullptr;
             child = child->mNext) {
            if (child->mKind == kKindTextObject && static_cast<TextObject*>(child)->GetText() == text)
                return true;
        }
        return false;
    }

    ObstaclePictureHost mObstacleHost;
    Platform mObstaclePlatform{&mObstacleHost};
};

} // namespace LumoTest

using LumoTest::ObstacleFixture;
