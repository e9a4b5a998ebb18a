// The bitmap font: draws text from glyph pictures cut from the layer images
// of a shared FontData. Preparing picks the layers whose point-size range
// and tags fit and renders scaled glyphs once; drawing lays out every glyph
// of every active layer, orders the pieces by their order keys and draws
// them with each layer's colours and draw mode.
#pragma once

#include "framework/graphics/ActiveFontLayer.h"
#include "framework/graphics/Font.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Lumo {

class FontData;
class FontLayer;
class Image;
class LumoAppBase;

class ImageFont : public Font {
public:
    // Records one draw call can lay out; the rest of a longer text is dropped.
    static constexpr int kMaxDrawRecords = 4096;
    // The fixed part of a cache record: 281 bytes before the layers, 26 after.
    static constexpr uint64_t kCacheRecordFixedSize = 307;
    // A layer block without its names and tags.
    static constexpr uint64_t kCacheLayerFixedSize = 73828;
    // A glyph entry in a cache record.
    static constexpr size_t kCacheGlyphSize = 288;

    // Empty font data; filled by the cache reader.
    ImageFont();
    // Reads the descriptor; the point size starts at its default.
    ImageFont(LumoAppBase* app, const std::string& descriptorPath);
    // One image (not owned) and a legacy width file.
    ImageFont(Image* image, const std::string& widthFilePath);
    // Shares the font data; a prepared source's active layers are copied.
    ImageFont(const ImageFont& other);
    ImageFont& operator=(const ImageFont&) = delete;
    ~ImageFont() override;

    // Font slots 7-11.
    int StringWidth(const std::string& text) override;
    int CharWidth(char theChar) override;
    int CharWidthKern(char theChar, char prevChar) override;
    void DrawString(Graphics* g, int x, int y, const std::string& text, const Color& color,
                    const TRect<int>& clipRect) override;
    Font* Duplicate() override;

    // Slots 12-23.
    // Rebuilds the active layers and the metrics; nothing before the font
    // data is loaded.
    virtual void Prepare();
    // Draws with the baseline at y. With a list, each piece's destination
    // rectangle is appended; with width, the advance of the drawn text.
    // The clip argument is not used: the context's clip applies.
    virtual void DrawStringEx(Graphics* g, int x, int y, const std::string& text, const Color& color,
                              const TRect<int>& clipRect, std::vector<TRect<int>>* rectList, int* width);
    virtual void SetPointSize(int pointSize);
    virtual int GetPointSize();
    virtual void SetScale(double scale);
    virtual int GetDefaultPointSize();
    // False when the text (as given) is already a tag; stores it upper-cased.
    virtual bool AddTag(const std::string& tag);
    virtual bool RemoveTag(const std::string& tag);
    // Exact comparison: stored tags are upper case.
    virtual bool HasTag(const std::string& tag);
    // The text of the descriptor's definition of the name, or "".
    virtual std::string GetDefine(const std::string& name);
    virtual void EnsurePrepared();
    // Stores the font in the shared data cache under the resource name and
    // the kind "ImageFont2:" + name; nothing when the cache is absent.
    virtual void WriteToCache(const std::string& resourceName, const std::string& name);

    // A new font rebuilt from the cache, owned by the caller; null on a
    // miss or a record that does not hold together.
    static ImageFont* ReadFromCache(const std::string& resourceName, const std::string& name);
    // The record's size in bytes.
    uint64_t CacheRecordSize() const;
    // Lays the record out in exactly `size` bytes; false when it does not fit.
    bool WriteCacheRecord(uint8_t* data, size_t size) const;
    // A new font from a record of `size` bytes; null when a count or length
    // runs past its end.
    static ImageFont* ReadCacheRecord(const uint8_t* data, size_t size);

    // Layers in range become active whatever their tags.
    void SetIgnoreTags(bool ignoreTags);
    // Rendered glyphs keep their alpha and become white.
    void SetForceWhite(bool forceWhite);

    // The factor a layer's glyphs are drawn at: the scale, times the point
    // size over the layer's when the layer has one.
    double LayerScale(const FontLayer& layer) const;

    FontData* mFontData; // shared, counted
    int mPointSize;
    std::vector<std::string> mTagVector; // upper case
    bool mIgnoreTags;
    bool mPrepared;
    std::vector<std::unique_ptr<ActiveFontLayer>> mActiveLayerList;
    double mScale;
    bool mForceWhite;

private:
    // Renders every glyph of the layer at factor f side by side into a new
    // picture owned by the active layer.
    void RenderScaledLayer(FontLayer& layer, double factor, ActiveFontLayer& active);
};

} // namespace Lumo
