// The parsed description of a bitmap font, shared by an image font and its
// copies: the character map and the named layers, built by the font
// commands of a descriptor file, or from one image and a legacy width file.
#pragma once

#include "framework/graphics/FontLayer.h"
#include "framework/parsers/DescParser.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Lumo {

class Image;
class LumoAppBase;

class FontData : public DescParser {
public:
    FontData();
    ~FontData() override;

    // Prefixes the message with the file (and line and command, when known)
    // and shows it through the application; nothing is shown without one.
    bool Error(const std::string& message) override;
    bool HandleCommand(const ListDataElement& params) override;

    // Reads the descriptor once (false when already loaded). True whenever
    // it ran; mInitialized tells whether the descriptor was good.
    bool Load(LumoAppBase* app, const std::string& path);
    // One layer over the image (not owned), glyph widths from the width file.
    bool LoadLegacy(Image* image, const std::string& widthFilePath);

    // The layer named by a single element (case ignored); "Undefined Layer"
    // for an unknown name, null for a list.
    FontLayer* GetLayer(const DataElement& element);
    // The glyph index of a text byte.
    uint8_t MapChar(char c) const { return mCharMap[static_cast<unsigned char>(c)]; }

    // Appends a layer and enters it in the map unless the name is taken
    // (the map keeps the earlier one); false when it was taken.
    bool AddLayer(std::unique_ptr<FontLayer> layer);

    bool mInitialized;                       // loaded: nothing draws before
    int mRefCount;                           // image fonts sharing this data
    LumoAppBase* mApp;
    int mDefaultPointSize;
    uint8_t mCharMap[256];                   // text byte -> glyph index
    std::vector<std::unique_ptr<FontLayer>> mFontLayerList; // creation order
    std::map<std::string, FontLayer*> mFontLayerMap;        // upper-cased name
    std::string mSourceFile;
    std::string mFontErrorHeader;

private:
    bool TypeError();
    bool IntArg(const DataElement& element, int& value);
    bool ColorArg(const DataElement& element, Color& color);
    // Each element of a list argument through DataToIntVector.
    bool IntListsArg(const DataElement& element, std::vector<std::vector<int>>& lists);
    bool LoadLayerImage(FontLayer& layer, const std::string& fileName);

    bool DoDefine(const ListDataElement& params);
    bool DoCreateHorzSpanRectList(const ListDataElement& params);
    bool DoSetDefaultPointSize(const ListDataElement& params);
    bool DoSetCharMap(const ListDataElement& params);
    bool DoCreateLayer(const ListDataElement& params);
    bool DoCreateLayerFrom(const ListDataElement& params);
    bool DoLayerTags(const ListDataElement& params, bool required);
    bool DoLayerPointRange(const ListDataElement& params);
    bool DoLayerSetImage(const ListDataElement& params);
    bool DoLayerSetDrawMode(const ListDataElement& params);
    bool DoLayerSetColor(const ListDataElement& params, bool multiply);
    bool DoLayerSetOffset(const ListDataElement& params);
    bool DoLayerIntField(const ListDataElement& params, int FontLayer::*field);
    bool DoLayerGlyphInts(const ListDataElement& params, int FontGlyph::*field);
    bool DoLayerSetImageMap(const ListDataElement& params);
    bool DoLayerSetCharOffsets(const ListDataElement& params);
    bool DoLayerSetKerningPairs(const ListDataElement& params);
};

} // namespace Lumo
