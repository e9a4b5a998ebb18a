// The list of the players on the player screen: one row per named profile,
// the current one highlighted; a click on a row makes that player current.
#pragma once

#include "game/engine/AnimObject.h"

class StripFont;

class UserListBox : public AnimObject {
public:
    static constexpr int kTextSize = 64;

    void ReadXmlAttributes(const ObjectXmlElement& element) override;
    void WriteTypeAttributes(std::string& out) override;
    int Update() override;
    void Draw() override;
    // Vertical offset of row i (rows count only named profiles).
    float RowY(int row) const;

    char mFont[kTextSize] = {};
    float mSize = 1.0f;

private:
    // The font and the row height, or null (no rows) without a font or an
    // image to size the rows by.
    StripFont* RowFont(float& rowHeight) const;
};
