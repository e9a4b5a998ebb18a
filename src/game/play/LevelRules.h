// The played level's own rules on the engine's Level: the rising bubbles of
// a lost level, the statistics and the Survival sink sound of each tick, the
// loss with its popup and follow-up, a missed trick shot, and the Journey
// test for a treasure lost in the water.
#pragma once

class AnimObject;
class Level;

namespace LevelRules {

// Bubbles rise while the middle layer's stage name contains "defea".
void TickBeforeMusic(Level& level);
// Ticks in scroll, the Survival sink sound every 750 ticks after a loss,
// and the end of a trick with nothing left in play.
void TickAfterMusic(Level& level);

// The played level is lost (nothing while the level editor is open). In
// Journey with tries left the building stays and a try is used; otherwise
// it sinks out of sight. Flood lowers the difficulty.
void Defeat(Level& level);
// The loss popup, the try count, and the Survival summary or the offer to
// play again.
void ShowLossSummary(Level& level);
// A treasure was lost during a trick shot: the trick ends as done.
void TrickshotMissed(Level& level);
// A trick whose one throw has run its course with plates left to fill is
// missed: no treasure is on the shooter, in flight, tumbling or held, no
// fill has a toss to come and no plate is still fading out. A treasure that
// tumbles off the bottom of the screen ends this way.
void MissSpentTrick(Level& level);
// A lost treasure loses a Journey level when the shot was a plain live one,
// the building scrolls, the shooter is ready and some plate has room. The
// treasure's live value, chain count and treasure kind decide the first part.
void CheckJourneyLoss(Level& level, int live, int chain, int treasureKind);
// Some plate of the current inner layer has fewer filled slots than slots.
bool PlatesHaveRoom();
// Removes every "popup_text" child of the level.
void KillPopupTexts(Level& level);

// The name the loss texts and other popups carry.
inline constexpr const char* kPopupName = "popup_text";
// Ticks between two sink sounds after a Survival loss.
inline constexpr int kSinkSoundTicks = 750;

} // namespace LevelRules
