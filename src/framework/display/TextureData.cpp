// The texture pieces of one memory image.
#include "framework/display/TextureData.h"

#include "framework/display/D3DInterface.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/video/DisplayDevice.h"
#include "platform/video/DisplayPalette.h"
#include "platform/video/DisplayResults.h"
#include "platform/video/DisplaySurface.h"

#include <algorithm>
#include <cstring>

namespace Lumo {

namespace {

inline uint32_t ToTexel(uint32_t argb, int format)
{
    switch (format) {
    case kTextureFormat4444:
        return ((argb >> 28) << 12) | (((argb >> 20) & 15) << 8) | (((argb >> 12) & 15) << 4) | ((argb >> 4) & 15);
    case kTextureFormat565:
        return (((argb >> 19) & 31) << 11) | (((argb >> 10) & 63) << 5) | ((argb >> 3) & 31);
    default:
        return argb;
    }
}

inline uint32_t FromTexel(uint32_t texel, int format, const uint32_t* palette)
{
    switch (format) {
    case kTextureFormat4444:
        return ((texel >> 12) << 28) | (((texel >> 8) & 15) << 20) | (((texel >> 4) & 15) << 12) | ((texel & 15) << 4);
    case kTextureFormat565:
        return 0xFF000000u | ((texel >> 11) << 19) | (((texel >> 5) & 63) << 10) | ((texel & 31) << 3);
    case kTextureFormatPalette8: {
        const uint32_t e = palette[texel & 255]; // alpha, blue, green, red bytes
        return (e & 0xFF000000u) | ((e & 0xFF) << 16) | (e & 0xFF00) | ((e >> 16) & 0xFF);
    }
    default:
        return texel;
    }
}

inline int BytesPerTexel(int format)
{
    return format == kTextureFormatPalette8 ? 1 : format == kTextureFormat8888 ? 4 : 2;
}

inline void StoreTexel(uint8_t* row, int x, int bytes, uint32_t texel)
{
    if (bytes == 4) {
        reinterpret_cast<uint32_t*>(row)[x] = texel;
    } else if (bytes == 2) {
        reinterpret_cast<uint16_t*>(row)[x] = static_cast<uint16_t>(texel);
    } else {
        row[x] = static_cast<uint8_t>(texel);
    }
}

inline uint32_t LoadTexel(const uint8_t* row, int x, int bytes)
{
    if (bytes == 4) {
        return reinterpret_cast<const uint32_t*>(row)[x];
    }
    if (bytes == 2) {
        return reinterpret_cast<const uint16_t*>(row)[x];
    }
    return row[x];
}

} // namespace

TextureData::TextureData()
    : mPalette(nullptr),
      mImageWidth(0),
      mImageHeight(0),
      mPiecesAcross(0),
      mPiecesDown(0),
      mPieceWidth(64),
      mPieceHeight(64),
      mBitsVersion(0),
      mTextureMemory(0),
      mMaxU(0.0f),
      mMaxV(0.0f),
      mFormat(kTextureFormatNone),
      mHints(0),
      mCreateFailed(false)
{
}

TextureData::~TextureData()
{
    ReleasePieces();
    if (mPalette != nullptr) {
        mPalette->Release();
    }
}

void TextureData::ReleasePieces()
{
    for (Piece& piece : mPieces) {
        if (piece.texture != nullptr) {
            piece.texture->Release();
            piece.texture = nullptr;
        }
    }
    mPieces.clear();
    mPiecesAcross = 0;
    mPiecesDown = 0;
    mTextureMemory = 0;
}

void TextureData::CreatePieces(MemoryImage* image)
{
    const int width = image->mWidth;
    const int height = image->mHeight;
    int pw = width;
    int ph = height;
    D3DInterface::GetGoodTextureSize(pw, ph, false, true, mHints);
    int rw = width % pw;
    int rh = ph;
    if (rw > 0) {
        D3DInterface::GetGoodTextureSize(rw, rh, true, true, mHints);
    } else {
        rw = pw;
    }
    int bw = pw;
    int bh = height % ph;
    if (bh > 0) {
        D3DInterface::GetGoodTextureSize(bw, bh, true, true, mHints);
    } else {
        bh = ph;
    }
    int cw = rw;
    int ch = bh;
    D3DInterface::GetGoodTextureSize(cw, ch, true, true, mHints);

    mPieceWidth = pw;
    mPieceHeight = ph;
    mPiecesAcross = (width + pw - 1) / pw;
    mPiecesDown = (height + ph - 1) / ph;
    mPieces.assign(static_cast<size_t>(mPiecesAcross) * static_cast<size_t>(mPiecesDown), Piece{nullptr, pw, ph});
    for (int row = 0; row < mPiecesDown; ++row) {
        for (int column = 0; column < mPiecesAcross; ++column) {
            Piece& piece = GetPiece(column, row);
            const bool lastColumn = column == mPiecesAcross - 1;
            const bool lastRow = row == mPiecesDown - 1;
            if (lastColumn && lastRow) {
                piece.width = cw;
                piece.height = ch;
            } else if (lastRow) {
                piece.width = bw;
                piece.height = bh;
            } else if (lastColumn) {
                piece.width = rw;
                piece.height = rh;
            }
        }
    }
    mMaxU = static_cast<float>(width) / static_cast<float>(pw);
    mMaxV = static_cast<float>(height) / static_cast<float>(ph);
}

void TextureData::CreateTextures(MemoryImage* image, D3DInterface* renderer)
{
    image->DeleteSWBuffers();
    image->CommitBits();
    const int width = image->mWidth;
    const int height = image->mHeight;
    const int hints = image->mTextureFlags;
    const bool paletteForm = image->mColorTable != nullptr && image->mColorIndices != nullptr;

    int format = kTextureFormat8888;
    if (!image->mHasTrans && !image->mHasAlpha && (gD3DLimits.formats & kTextureFormat565) != 0 &&
        (hints & kTextureHintNo565) == 0) {
        format = kTextureFormat565;
    }
    Plat::DisplayPalette* palette = nullptr;
    if (paletteForm && (gD3DLimits.formats & kTextureFormatPalette8) != 0 && renderer->mDD7 != nullptr) {
        uint32_t entries[256];
        const uint32_t* table = image->mColorTable.get();
        for (int i = 0; i < 256; ++i) {
            const uint32_t c = table[i];
            entries[i] = (c & 0xFF00FF00u) | ((c & 0xFF) << 16) | ((c >> 16) & 0xFF);
        }
        if (Plat::Failed(renderer->mDD7->CreatePalette(Plat::kDdpcaps8Bit | Plat::kDdpcapsAllow256 |
                                                           Plat::kDdpcapsAlpha,
                                                       entries, &palette))) {
            palette = nullptr;
            gD3DLimits.formats &= ~kTextureFormatPalette8;
        } else {
            format = kTextureFormatPalette8;
        }
    }
    if (format == kTextureFormat8888) {
        const bool has4444 = (gD3DLimits.formats & kTextureFormat4444) != 0;
        const bool has8888 = (gD3DLimits.formats & kTextureFormat8888) != 0;
        if ((hints & kTextureHintPrefer4444) != 0) {
            if (has4444 || !has8888) {
                format = kTextureFormat4444;
            }
        } else if (!has8888) {
            format = kTextureFormat4444;
        }
    }
    // Nothing to draw from: an empty image, or one whose pixels cannot be had.
    const uint32_t* bits = nullptr;
    if (!paletteForm) {
        bits = width > 0 && height > 0 ? image->GetBits() : nullptr;
    }
    if (width <= 0 || height <= 0 || (!paletteForm && bits == nullptr)) {
        if (palette != nullptr) {
            palette->Release();
        }
        ReleasePieces();
        mFormat = kTextureFormatNone;
        mImageWidth = width;
        mImageHeight = height;
        mHints = hints;
        mBitsVersion = image->mBitsVersion;
        return;
    }

    bool fresh = false;
    if (width != mImageWidth || height != mImageHeight || format != mFormat || hints != mHints || mPieces.empty()) {
        ReleasePieces();
        mFormat = format;
        mHints = hints;
        CreatePieces(image);
        fresh = true;
    }
    if (mPalette != nullptr) {
        mPalette->Release();
        mTextureMemory -= 1024;
    }
    mPalette = palette;
    if (mPalette != nullptr) {
        mTextureMemory += 1024;
    }
    const int bytes = BytesPerTexel(format);
    for (int row = 0; row < mPiecesDown; ++row) {
        for (int column = 0; column < mPiecesAcross; ++column) {
            Piece& piece = GetPiece(column, row);
            if (fresh) {
                piece.texture = renderer->CreateTexture(piece.width, piece.height, format);
                if (piece.texture == nullptr) {
                    format = kTextureFormatNone;
                    mCreateFailed = true;
                    continue;
                }
                mTextureMemory += int64_t(piece.width) * piece.height * bytes;
            }
            if (piece.texture == nullptr) {
                continue;
            }
            if (mPalette != nullptr) {
                renderer->CheckDXError(piece.texture->SetPalette(mPalette), "SetPalette");
            }
            FillPiece(piece, image, bits, column * mPieceWidth, row * mPieceHeight, renderer);
        }
    }
    mImageWidth = width;
    mImageHeight = height;
    mFormat = format;
    mBitsVersion = image->mBitsVersion;
}

bool TextureData::FillPiece(Piece& piece, MemoryImage* image, const uint32_t* bits, int x, int y,
                            D3DInterface* renderer)
{
    Plat::SurfaceDesc desc;
    desc.size = Plat::kSurfaceDesc2Size;
    if (renderer->CheckDXError(piece.texture->Lock(nullptr, &desc, Plat::kDdlockWait | Plat::kDdlockWriteOnly),
                               "Lock Texture")) {
        return false;
    }
    const int width = image->mWidth;
    const int cw = std::min(piece.width, width - x);
    const int ch = std::min(piece.height, image->mHeight - y);
    const int bytes = BytesPerTexel(mFormat);
    uint8_t* base = static_cast<uint8_t*>(desc.surface);
    const uint32_t* table = image->mColorTable.get();
    const uint8_t* indices = image->mColorIndices.get();
    for (int row = 0; row < ch; ++row) {
        uint8_t* out = base + static_cast<size_t>(row) * static_cast<size_t>(desc.pitch);
        const size_t from = static_cast<size_t>(y + row) * static_cast<size_t>(width) + static_cast<size_t>(x);
        if (mFormat == kTextureFormatPalette8) {
            std::memcpy(out, indices + from, static_cast<size_t>(cw));
        } else if (indices != nullptr && table != nullptr) {
            for (int i = 0; i < cw; ++i) {
                StoreTexel(out, i, bytes, ToTexel(table[indices[from + i]], mFormat));
            }
        } else if (mFormat == kTextureFormat8888) {
            std::memcpy(out, bits + from, static_cast<size_t>(cw) * 4);
        } else {
            for (int i = 0; i < cw; ++i) {
                StoreTexel(out, i, bytes, ToTexel(bits[from + i], mFormat));
            }
        }
        // The texel right of the picture repeats its last one, so a filtered
        // edge does not pull in stale texels.
        if (cw < piece.width && cw > 0) {
            std::memcpy(out + static_cast<size_t>(cw) * bytes, out + static_cast<size_t>(cw - 1) * bytes,
                        static_cast<size_t>(bytes));
        }
    }
    if (ch < piece.height && ch > 0) {
        const size_t rowBytes = static_cast<size_t>(std::min(piece.width, cw + 1)) * bytes;
        std::memcpy(base + static_cast<size_t>(ch) * desc.pitch, base + static_cast<size_t>(ch - 1) * desc.pitch,
                    rowBytes);
    }
    renderer->CheckDXError(piece.texture->Unlock(nullptr), "Texture Unlock");
    return true;
}

bool TextureData::CopyToBits(MemoryImage* image)
{
    if (image == nullptr || image->mBits == nullptr || mBitsVersion != image->mBitsVersion ||
        mFormat == kTextureFormatNone || mImageWidth != image->mWidth || mImageHeight != image->mHeight) {
        return false;
    }
    uint32_t palette[256] = {};
    if (mFormat == kTextureFormatPalette8) {
        if (mPalette == nullptr || Plat::Failed(mPalette->GetEntries(0, 256, palette))) {
            return false;
        }
    }
    const int bytes = BytesPerTexel(mFormat);
    uint32_t* bits = image->mBits.get();
    for (int row = 0; row < mPiecesDown; ++row) {
        for (int column = 0; column < mPiecesAcross; ++column) {
            Piece& piece = GetPiece(column, row);
            if (piece.texture == nullptr) {
                return false;
            }
            Plat::SurfaceDesc desc;
            desc.size = Plat::kSurfaceDesc2Size;
            if (Plat::Failed(piece.texture->Lock(nullptr, &desc, Plat::kDdlockWait | Plat::kDdlockReadOnly))) {
                return false;
            }
            const int x = column * mPieceWidth;
            const int y = row * mPieceHeight;
            const int cw = std::min(piece.width, mImageWidth - x);
            const int ch = std::min(piece.height, mImageHeight - y);
            const uint8_t* base = static_cast<const uint8_t*>(desc.surface);
            for (int r = 0; r < ch; ++r) {
                const uint8_t* in = base + static_cast<size_t>(r) * static_cast<size_t>(desc.pitch);
                uint32_t* out = bits + static_cast<size_t>(y + r) * static_cast<size_t>(mImageWidth) + x;
                for (int i = 0; i < cw; ++i) {
                    out[i] = FromTexel(LoadTexel(in, i, bytes), mFormat, palette);
                }
            }
            piece.texture->Unlock(nullptr);
        }
    }
    return true;
}

} // namespace Lumo
