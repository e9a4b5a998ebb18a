// Texts drawn on the spot by objects that show no text object of their own
// (a player's name, list rows, the editor's info line).
#include "game/engine/AnimObject.h"

#include "game/engine/GameState.h"
#include "game/engine/TextObject.h"

void AnimObject::DrawString(AnimObject* frame, const char* text, float x, float y, const char* fontName,
                            float spacing, int justification, float scale, float alpha)
{
    GameState* game = GameState::TryCurrent();
    if (game == nullptr || text == nullptr)
        return;
    if (!game->mSharedText)
        game->mSharedText = std::make_unique<TextObject>();
    auto& shared = static_cast<TextObject&>(*game->mSharedText);
    shared.SetText(text, fontName, spacing, 0, justification);
    shared.AddStage(1000.0f, 0, 0, 1, nullptr);
    shared.SetStageAttribute(kAttrXScale, scale, scale);
    shared.SetStageAttribute(kAttrYScale, scale, scale);
    shared.SetStageAttribute(kAttrAlpha, alpha, alpha);
    shared.SetStageAttribute(kAttrX, x, x);
    shared.SetStageAttribute(kAttrY, y, y);
    // Borrowed for the draw only: the frame does not hold it as a child.
    shared.mParent = frame;
    shared.mFrameCounter = 0.0f;
    shared.Update();
    shared.Draw();
    shared.mParent = nullptr;
}
