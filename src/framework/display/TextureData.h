// The texture pieces of one memory image: a grid of textures that together
// cover it, sized under the device's limits with little waste, in a format
// chosen from the image's transparency, palette and hints; refilled when the
// image's bits version moves, and read back when the image dropped its bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Plat {
class DisplayPalette;
class DisplaySurface;
} // namespace Plat

namespace Lumo {

class D3DInterface;
class MemoryImage;

class TextureData {
public:
    struct Piece {
        Plat::DisplaySurface* texture = nullptr; // one reference
        int width = 0;                           // the texture's size
        int height = 0;
    };

    TextureData();
    ~TextureData();
    TextureData(const TextureData&) = delete;
    TextureData& operator=(const TextureData&) = delete;

    // Lays out the grid for the image's size (no textures yet).
    void CreatePieces(MemoryImage* image);
    // Chooses the format, (re)makes the pieces when size, format or hints
    // changed, and fills every piece from the image.
    void CreateTextures(MemoryImage* image, D3DInterface* renderer);
    void ReleasePieces();
    // The textures' pixels into the image's bits (already allocated); false
    // when they are not the image's current pixels or cannot be read.
    bool CopyToBits(MemoryImage* image);

    Piece& GetPiece(int column, int row) { return mPieces[static_cast<std::size_t>(row * mPiecesAcross + column)]; }

    std::vector<Piece> mPieces; // row by row
    Plat::DisplayPalette* mPalette; // one reference; palette-8 only
    int mImageWidth;
    int mImageHeight;
    int mPiecesAcross;
    int mPiecesDown;
    int mPieceWidth;
    int mPieceHeight;
    int mBitsVersion;
    int64_t mTextureMemory;
    float mMaxU;
    float mMaxV;
    int mFormat;
    int mHints;
    // A texture could not be made: the image stays undrawn by the renderer
    // for the rest of the run rather than failing again at every draw.
    bool mCreateFailed;

private:
    // Writes the covered part of the image at (x, y) into the piece,
    // repeating the last column and row into the texture's spare texels.
    bool FillPiece(Piece& piece, MemoryImage* image, const uint32_t* bits, int x, int y, D3DInterface* renderer);
};

} // namespace Lumo
