#include "game/play/GameObjectFactory.h"

#include "game/engine/AnimObject.h"
#include "game/play/APlate.h"
#include "game/play/BlockPlate.h"
#include "game/play/BonusBasket.h"
#include "game/play/Cloud.h"
#include "game/play/EndlessBonus.h"
#include "game/play/EndlessPanel.h"
#include "game/play/Firework.h"
#include "game/play/KeyPlate.h"
#include "game/play/Layer.h"
#include "game/play/LevelLocker.h"
#include "game/play/LevelScroller.h"
#include "game/play/LevelSelect.h"
#include "game/play/MPlate.h"
#include "game/play/Panel.h"
#include "game/play/Pigeon.h"
#include "game/play/PowerUp.h"
#include "game/play/RectBumper.h"
#include "game/play/ProgressBar.h"
#include "game/play/RoundBumper.h"
#include "game/play/RoundPlate.h"
#include "game/play/ScrollPoint.h"
#include "game/play/SemicirclePlate.h"
#include "game/play/Shooter.h"
#include "game/play/ShooterCursor.h"
#include "game/play/ShooterPath.h"
#include "game/play/Slot.h"
#include "game/play/SpinnerPlate.h"
#include "game/play/SquarePlate.h"
#include "game/play/StepPlate.h"
#include "game/play/StickPlate.h"
#include "game/play/TPlate.h"
#include "game/play/TosserPlate.h"
#include "game/play/TriBumper.h"
#include "game/play/TrianglePlate.h"
#include "game/play/Turret.h"
#include "game/play/Tutorial.h"
#include "game/play/Warp.h"
#include "game/play/XPlate.h"

#include <cstring>
#include <new>

namespace {

template <class T>
AnimObject* Make()
{
    return new (std::nothrow) T;
}

// One row per key; the first match wins.
const GameObjectRow kRows[] = {
    {"round_plate", Make<RoundPlate>},
    {"semicircle_plate", Make<SemicirclePlate>},
    {"a_plate", Make<APlate>},
    {"x_plate", Make<XPlate>},
    {"stick_plate", Make<StickPlate>},
    {"block_plate", Make<BlockPlate>},
    {"triangle_plate", Make<TrianglePlate>},
    {"t_plate", Make<TPlate>},
    {"tosser_plate", Make<TosserPlate>},
    {"key_plate", Make<KeyPlate>},
    {"spinner_plate", Make<SpinnerPlate>},
    {"step_plate", Make<StepPlate>},
    {"square_plate", Make<SquarePlate>},
    {"m_plate", Make<MPlate>},
    {"slot", Make<Slot>},
    {"panel", Make<Panel>},
    {"endless_panel", Make<EndlessPanel>},
    {"progress_bar", Make<ProgressBar>},
    {"pigeon", Make<Pigeon>},
    {"powerup", Make<PowerUp>},
    {"cloud", Make<Cloud>},
    {"firework", Make<Firework>},
    {"shooter", Make<Shooter>},
    {"shooter_cursor", Make<ShooterCursor>},
    {"shooter_path", Make<ShooterPath>},
    {"scroll_point", Make<ScrollPoint>},
    {"level_select", Make<LevelSelect>},
    {"level_scroller", Make<LevelScroller>},
    {"bonus_basket", Make<BonusBasket>},
    {"endless_bonus", Make<EndlessBonus>},
    {"level_locker", Make<LevelLocker>},
    {"rect_bumper", Make<RectBumper>},
    {"round_bumper", Make<RoundBumper>},
    {"tri_bumper", Make<TriBumper>},
    {"turret", Make<Turret>},
    {"warp", Make<Warp>},
    {"tutorial", Make<Tutorial>},
    // The engine hands its layers to the game.
    {"layer", Make<Layer>},
};

} // namespace

AnimObject* CreateGameObject(const char* type)
{
    if (type == nullptr || type[0] == '\0')
        return nullptr;
    for (const GameObjectRow& row : kRows) {
        if (row.create != nullptr && std::strcmp(row.key, type) == 0)
            return row.create();
    }
    return nullptr;
}

const GameObjectRow* GameObjectRows(int& count)
{
    count = int(sizeof(kRows) / sizeof(kRows[0]));
    return kRows;
}
