// The font commands of descriptor files, layer image loading, and the
// legacy one-image fonts with their width files.
#include "framework/graphics/FontData.h"

#include "framework/app/LumoAppBase.h"
#include "framework/display/DDImage.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/core/PathUtils.h"
#include "framework/core/StringUtils.h"
#include "platform/files/FileSystem.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace Lumo {

namespace {

const char* const kInvalidType = "Invalid Paramater Type";
const char* const kListSizeMismatch = "List Size Mismatch";

enum class Command {
    Define,
    CreateHorzSpanRectList,
    SetDefaultPointSize,
    SetCharMap,
    CreateLayer,
    CreateLayerFrom,
    LayerRequireTags,
    LayerExcludeTags,
    LayerPointRange,
    LayerSetPointSize,
    LayerSetHeight,
    LayerSetImage,
    LayerSetDrawMode,
    LayerSetColorMult,
    LayerSetColorAdd,
    LayerSetAscent,
    LayerSetAscentPadding,
    LayerSetLineSpacingOffset,
    LayerSetOffset,
    LayerSetCharWidths,
    LayerSetSpacing,
    LayerSetImageMap,
    LayerSetCharOffsets,
    LayerSetKerningPairs,
    LayerSetBaseOrder,
    LayerSetCharOrders
};

struct CommandInfo {
    const char* name;
    size_t argCount;
    Command command;
};

// Matched in this order, case ignored.
const CommandInfo kCommands[] = {
    {"Define", 2, Command::Define},
    {"CreateHorzSpanRectList", 3, Command::CreateHorzSpanRectList},
    {"SetDefaultPointSize", 1, Command::SetDefaultPointSize},
    {"SetCharMap", 2, Command::SetCharMap},
    {"CreateLayer", 1, Command::CreateLayer},
    {"CreateLayerFrom", 2, Command::CreateLayerFrom},
    {"LayerRequireTags", 2, Command::LayerRequireTags},
    {"LayerExcludeTags", 2, Command::LayerExcludeTags},
    {"LayerPointRange", 3, Command::LayerPointRange},
    {"LayerSetPointSize", 2, Command::LayerSetPointSize},
    {"LayerSetHeight", 2, Command::LayerSetHeight},
    {"LayerSetImage", 2, Command::LayerSetImage},
    {"LayerSetDrawMode", 2, Command::LayerSetDrawMode},
    {"LayerSetColorMult", 2, Command::LayerSetColorMult},
    {"LayerSetColorAdd", 2, Command::LayerSetColorAdd},
    {"LayerSetAscent", 2, Command::LayerSetAscent},
    {"LayerSetAscentPadding", 2, Command::LayerSetAscentPadding},
    {"LayerSetLineSpacingOffset", 2, Command::LayerSetLineSpacingOffset},
    {"LayerSetOffset", 2, Command::LayerSetOffset},
    {"LayerSetCharWidths", 3, Command::LayerSetCharWidths},
    {"LayerSetSpacing", 2, Command::LayerSetSpacing},
    {"LayerSetImageMap", 3, Command::LayerSetImageMap},
    {"LayerSetCharOffsets", 3, Command::LayerSetCharOffsets},
    {"LayerSetKerningPairs", 3, Command::LayerSetKerningPairs},
    {"LayerSetBaseOrder", 2, Command::LayerSetBaseOrder},
    {"LayerSetCharOrders", 3, Command::LayerSetCharOrders},
};

const SingleDataElement* AsSingle(const DataElement& element)
{
    return element.mIsList ? nullptr : static_cast<const SingleDataElement*>(&element);
}

// A fraction of 255, truncated toward zero; kept inside the int range.
int FractionTo255(double value)
{
    const double scaled = value * 255.0;
    if (!(scaled > -2147483648.0))
        return std::numeric_limits<int>::min();
    if (!(scaled < 2147483647.0))
        return std::numeric_limits<int>::max();
    return static_cast<int>(scaled);
}

uint8_t GlyphIndex(const std::string& character)
{
    return static_cast<uint8_t>(static_cast<unsigned char>(character[0]));
}

} // namespace

FontData::FontData() : mInitialized(false), mRefCount(0), mApp(nullptr), mDefaultPointSize(0)
{
    for (int i = 0; i < 256; ++i)
        mCharMap[i] = static_cast<uint8_t>(i);
}

// The defines belong to the parser base, which frees them.
FontData::~FontData() = default;

bool FontData::Error(const std::string& message)
{
    std::string text = mFontErrorHeader + message;
    if (mCurrentLineNum > 0)
        text += " on Line " + StrFormat("%d:\r\n\r\n", mCurrentLineNum) + mCurrentLine;
    DescParser::Error(text);
    if (mApp != nullptr)
        mApp->FatalErrorPopup(text);
    return false;
}

bool FontData::Load(LumoAppBase* app, const std::string& path)
{
    if (mInitialized)
        return false;
    mApp = app;
    mCurrentLine.clear();
    mFontErrorHeader = "Font Descriptor Error in " + path + "\r\n";
    mSourceFile = path;
    mInitialized = LoadDescriptor(path);
    return true;
}

bool FontData::AddLayer(std::unique_ptr<FontLayer> layer)
{
    FontLayer* added = layer.get();
    mFontLayerList.push_back(std::move(layer));
    return mFontLayerMap.emplace(added->mLayerName, added).second;
}

FontLayer* FontData::GetLayer(const DataElement& element)
{
    const SingleDataElement* single = AsSingle(element);
    if (single == nullptr)
        return nullptr;
    const auto found = mFontLayerMap.find(StringToUpper(single->mString));
    if (found == mFontLayerMap.end()) {
        Error("Undefined Layer");
        return nullptr;
    }
    return found->second;
}

bool FontData::TypeError()
{
    return Error(kInvalidType);
}

bool FontData::IntArg(const DataElement& element, int& value)
{
    const SingleDataElement* single = AsSingle(element);
    return single != nullptr && StringToInt(single->mString, &value);
}

bool FontData::ColorArg(const DataElement& element, Color& color)
{
    if (const SingleDataElement* single = AsSingle(element)) {
        int packed = 0;
        if (!StringToInt(single->mString, &packed))
            return false;
        color = Color(packed); // an alpha byte of 0 reads as 255
        return true;
    }
    std::vector<double> values;
    if (!DataToDoubleVector(element, values) || values.size() < 4)
        return false;
    color = Color(FractionTo255(values[0]), FractionTo255(values[1]), FractionTo255(values[2]),
                  FractionTo255(values[3]));
    return true;
}

bool FontData::IntListsArg(const DataElement& element, std::vector<std::vector<int>>& lists)
{
    lists.clear();
    ListDataElement list;
    if (!GetListArgument(element, list))
        return false;
    // An element that does not convert stays empty, so the caller skips it.
    for (const auto& item : list.mElementVector) {
        lists.emplace_back();
        DataToIntVector(*item, lists.back());
    }
    return true;
}

bool FontData::HandleCommand(const ListDataElement& params)
{
    const auto* word = static_cast<const SingleDataElement*>(params.mElementVector[0].get());
    const std::string upperWord = StringToUpper(word->mString);
    const CommandInfo* info = nullptr;
    for (const CommandInfo& candidate : kCommands) {
        if (upperWord == StringToUpper(candidate.name)) {
            info = &candidate;
            break;
        }
    }
    if (info == nullptr)
        return Error("Unknown Command");
    if (params.mElementVector.size() != info->argCount + 1)
        return Error("Invalid Number of Parameters");

    switch (info->command) {
    case Command::Define:
        return DoDefine(params);
    case Command::CreateHorzSpanRectList:
        return DoCreateHorzSpanRectList(params);
    case Command::SetDefaultPointSize:
        return DoSetDefaultPointSize(params);
    case Command::SetCharMap:
        return DoSetCharMap(params);
    case Command::CreateLayer:
        return DoCreateLayer(params);
    case Command::CreateLayerFrom:
        return DoCreateLayerFrom(params);
    case Command::LayerRequireTags:
        return DoLayerTags(params, true);
    case Command::LayerExcludeTags:
        return DoLayerTags(params, false);
    case Command::LayerPointRange:
        return DoLayerPointRange(params);
    case Command::LayerSetPointSize:
        return DoLayerIntField(params, &FontLayer::mPointSize);
    case Command::LayerSetHeight:
        return DoLayerIntField(params, &FontLayer::mHeight);
    case Command::LayerSetImage:
        return DoLayerSetImage(params);
    case Command::LayerSetDrawMode:
        return DoLayerSetDrawMode(params);
    case Command::LayerSetColorMult:
        return DoLayerSetColor(params, true);
    case Command::LayerSetColorAdd:
        return DoLayerSetColor(params, false);
    case Command::LayerSetAscent:
        return DoLayerIntField(params, &FontLayer::mAscent);
    case Command::LayerSetAscentPadding:
        return DoLayerIntField(params, &FontLayer::mAscentPadding);
    case Command::LayerSetLineSpacingOffset:
        return DoLayerIntField(params, &FontLayer::mLineSpacingOffset);
    case Command::LayerSetOffset:
        return DoLayerSetOffset(params);
    case Command::LayerSetCharWidths:
        return DoLayerGlyphInts(params, &FontGlyph::mWidth);
    case Command::LayerSetSpacing:
        return DoLayerIntField(params, &FontLayer::mSpacing);
    case Command::LayerSetImageMap:
        return DoLayerSetImageMap(params);
    case Command::LayerSetCharOffsets:
        return DoLayerSetCharOffsets(params);
    case Command::LayerSetKerningPairs:
        return DoLayerSetKerningPairs(params);
    case Command::LayerSetBaseOrder:
        return DoLayerIntField(params, &FontLayer::mBaseOrder);
    case Command::LayerSetCharOrders:
        return DoLayerGlyphInts(params, &FontGlyph::mOrder);
    }
    return Error("Unknown Command");
}

bool FontData::DoDefine(const ListDataElement& params)
{
    const SingleDataElement* name = AsSingle(*params.mElementVector[1]);
    if (name == nullptr || IsImmediate(name->mString))
        return TypeError();
    const DataElement& value = *params.mElementVector[2];

    std::unique_ptr<DataElement> stored;
    if (value.mIsList) {
        auto list = std::make_unique<ListDataElement>();
        if (!Dereference(static_cast<const ListDataElement&>(value), *list))
            return false;
        stored = std::move(list);
    } else if (const DataElement* define = GetDefine(static_cast<const SingleDataElement&>(value).mString)) {
        stored = define->Duplicate();
    } else {
        stored = value.Duplicate();
    }
    mDefineMap[StringToUpper(name->mString)] = std::move(stored);
    return true;
}

bool FontData::DoCreateHorzSpanRectList(const ListDataElement& params)
{
    const SingleDataElement* name = AsSingle(*params.mElementVector[1]);
    if (name == nullptr)
        return TypeError();
    std::vector<int> rect;
    if (!DataToIntVector(*params.mElementVector[2], rect) || rect.size() != 4)
        return TypeError();
    std::vector<int> widths;
    if (!DataToIntVector(*params.mElementVector[3], widths))
        return TypeError();

    auto list = std::make_unique<ListDataElement>();
    uint32_t x = static_cast<uint32_t>(rect[0]); // wraps like the int sum it stands for
    for (int width : widths) {
        auto item = std::make_unique<ListDataElement>();
        const int values[4] = {static_cast<int>(x), rect[1], width, rect[3]};
        for (int v : values)
            item->mElementVector.push_back(std::make_unique<SingleDataElement>(StrFormat("%d", v)));
        list->mElementVector.push_back(std::move(item));
        x += static_cast<uint32_t>(width);
    }
    mDefineMap[StringToUpper(name->mString)] = std::move(list);
    return true;
}

bool FontData::DoSetDefaultPointSize(const ListDataElement& params)
{
    if (!IntArg(*params.mElementVector[1], mDefaultPointSize))
        return TypeError();
    return true;
}

bool FontData::DoSetCharMap(const ListDataElement& params)
{
    std::vector<std::string> from;
    std::vector<std::string> to;
    if (!DataToList(*params.mElementVector[1], from) || !DataToList(*params.mElementVector[2], to))
        return TypeError();
    if (from.size() != to.size())
        return Error(kListSizeMismatch);
    bool skipped = false;
    for (size_t i = 0; i < from.size(); ++i) {
        if (from[i].size() != 1 || to[i].size() != 1) {
            skipped = true;
            continue;
        }
        mCharMap[GlyphIndex(from[i])] = GlyphIndex(to[i]);
    }
    return skipped ? TypeError() : true;
}

bool FontData::DoCreateLayer(const ListDataElement& params)
{
    const SingleDataElement* name = AsSingle(*params.mElementVector[1]);
    if (name == nullptr)
        return TypeError();
    auto layer = std::make_unique<FontLayer>(this);
    layer->mLayerName = StringToUpper(name->mString);
    // A taken name is reported, yet the new layer still draws.
    if (!AddLayer(std::move(layer)))
        Error("Layer Already Exists");
    return true;
}

bool FontData::DoCreateLayerFrom(const ListDataElement& params)
{
    const SingleDataElement* name = AsSingle(*params.mElementVector[1]);
    if (name == nullptr)
        return TypeError();
    FontLayer* source = GetLayer(*params.mElementVector[2]);
    if (source == nullptr)
        return TypeError();
    auto layer = std::make_unique<FontLayer>(*source);
    layer->mLayerName = StringToUpper(name->mString);
    if (!AddLayer(std::move(layer)))
        Error("Layer Already Exists");
    return true;
}

bool FontData::DoLayerTags(const ListDataElement& params, bool required)
{
    FontLayer* layer = GetLayer(*params.mElementVector[1]);
    if (layer == nullptr)
        return TypeError();
    std::vector<std::string> tags;
    if (!DataToList(*params.mElementVector[2], tags))
        return TypeError();
    std::vector<std::string>& target = required ? layer->mRequiredTags : layer->mExcludedTags;
    for (const std::string& tag : tags)
        target.push_back(StringToUpper(tag));
    return true;
}

bool FontData::DoLayerPointRange(const ListDataElement& params)
{
    FontLayer* layer = GetLayer(*params.mElementVector[1]);
    if (layer == nullptr)
        return TypeError();
    int minimum = 0;
    int maximum = 0;
    if (!IntArg(*params.mElementVector[2], minimum) || !IntArg(*params.mElementVector[3], maximum))
        return TypeError();
    layer->mMinPointSize = minimum;
    layer->mMaxPointSize = maximum;
    return true;
}

bool FontData::DoLayerIntField(const ListDataElement& params, int FontLayer::*field)
{
    FontLayer* layer = GetLayer(*params.mElementVector[1]);
    if (layer == nullptr)
        return TypeError();
    int value = 0;
    if (!IntArg(*params.mElementVector[2], value))
        return TypeError();
    layer->*field = value;
    return true;
}

bool FontData::DoLayerSetImage(const ListDataElement& params)
{
    FontLayer* layer = GetLayer(*params.mElementVector[1]);
    if (layer == nullptr)
        return TypeError();
    std::string fileName;
    if (!DataToString(*params.mElementVector[2], fileName))
        return TypeError();
    return LoadLayerImage(*layer, fileName);
}

bool FontData::LoadLayerImage(FontLayer& layer, const std::string& fileName)
{
    const std::string path = GetPathFrom(fileName, GetFileDir(mSourceFile));
    layer.mImageFileName = path;
    if (mApp == nullptr)
        return Error("Failed to Load Image");

    // The image goes to the data cache below, as a palette; the plain
    // loader must not store it first.
    const bool writeToCache = mApp->writeToDataCache;
    mApp->writeToDataCache = false;
    bool isNew = false;
    SharedImageRef image = mApp->GetSharedImage(path, "", &isNew);
    mApp->writeToDataCache = writeToCache;

    Image* loaded = image;
    if (loaded == nullptr)
        return Error("Failed to Load Image");
    if (isNew) {
        if (auto* picture = dynamic_cast<MemoryImage*>(loaded))
            picture->Palletize();
        if (auto* surfaceImage = dynamic_cast<DDImage*>(loaded))
            surfaceImage->WriteToCache(GetFullPath(path), "GetImage");
    }
    layer.mImage = image;
    return true;
}

bool FontData::DoLayerSetDrawMode(const ListDataElement& params)
{
    FontLayer* layer = GetLayer(*params.mElementVector[1]);
    if (layer == nullptr)
        return TypeError();
    int mode = 0;
    if (!IntArg(*params.mElementVector[2], mode) || (mode != 0 && mode != 1))
        return TypeError();
    layer->mDrawMode = mode;
    return true;
}

bool FontData::DoLayerSetColor(const ListDataElement& params, bool multiply)
{
    FontLayer* layer = GetLayer(*params.mElementVector[1]);
    if (layer == nullptr)
        return TypeError();
    Color color;
    if (!ColorArg(*params.mElementVector[2], color))
        return TypeError();
    (multiply ? layer->mColorMult : layer->mColorAdd) = color;
    return true;
}

bool FontData::DoLayerSetOffset(const ListDataElement& params)
{
    FontLayer* layer = GetLayer(*params.mElementVector[1]);
    if (layer == nullptr)
        return TypeError();
    std::vector<int> offset;
    if (!DataToIntVector(*params.mElementVector[2], offset) || offset.size() != 2)
        return TypeError();
    layer->mOffsetX = offset[0];
    layer->mOffsetY = offset[1];
    return true;
}

bool FontData::DoLayerGlyphInts(const ListDataElement& params, int FontGlyph::*field)
{
    FontLayer* layer = GetLayer(*params.mElementVector[1]);
    if (layer == nullptr)
        return TypeError();
    std::vector<std::string> characters;
    std::vector<int> values;
    if (!DataToList(*params.mElementVector[2], characters) || !DataToIntVector(*params.mElementVector[3], values))
        return TypeError();
    if (characters.size() != values.size())
        return Error(kListSizeMismatch);
    bool skipped = false;
    for (size_t i = 0; i < characters.size(); ++i) {
        if (characters[i].size() != 1) {
            skipped = true;
            continue;
        }
        layer->Glyph(GlyphIndex(characters[i])).*field = values[i];
    }
    return skipped ? TypeError() : true;
}

bool FontData::DoLayerSetImageMap(const ListDataElement& params)
{
    FontLayer* layer = GetLayer(*params.mElementVector[1]);
    if (layer == nullptr)
        return TypeError();
    std::vector<std::string> characters;
    std::vector<std::vector<int>> rects;
    if (!DataToList(*params.mElementVector[2], characters) || !IntListsArg(*params.mElementVector[3], rects))
        return TypeError();
    if (characters.size() != rects.size())
        return Error(kListSizeMismatch);
    const Image* image = layer->GetImage();
    if (image == nullptr)
        return Error("Layer image not set");

    const int64_t imageWidth = image->GetWidth();
    const int64_t imageHeight = image->GetHeight();
    bool skipped = false;
    for (size_t i = 0; i < characters.size(); ++i) {
        const std::vector<int>& r = rects[i];
        if (characters[i].size() != 1 || r.size() != 4) {
            skipped = true;
            continue;
        }
        // In 64 bits, so a huge width cannot wrap back inside; a negative
        // size is no rectangle of the image either.
        if (r[0] < 0 || r[1] < 0 || r[2] < 0 || r[3] < 0 || int64_t(r[0]) + r[2] > imageWidth
            || int64_t(r[1]) + r[3] > imageHeight)
            return Error("Image rectangle out of bounds");
        layer->Glyph(GlyphIndex(characters[i])).mImageRect = TRect<int>(r[0], r[1], r[2], r[3]);
    }

    int defaultHeight = 0;
    for (const FontGlyph& glyph : layer->mGlyphs) {
        const int64_t height = int64_t(glyph.mImageRect.mHeight) + glyph.mOffsetY;
        if (height > defaultHeight)
            defaultHeight = static_cast<int>(std::min<int64_t>(height, std::numeric_limits<int>::max()));
    }
    layer->mDefaultHeight = defaultHeight;
    return skipped ? TypeError() : true;
}

bool FontData::DoLayerSetCharOffsets(const ListDataElement& params)
{
    FontLayer* layer = GetLayer(*params.mElementVector[1]);
    if (layer == nullptr)
        return TypeError();
    std::vector<std::string> characters;
    std::vector<std::vector<int>> offsets;
    if (!DataToList(*params.mElementVector[2], characters) || !IntListsArg(*params.mElementVector[3], offsets))
        return TypeError();
    if (characters.size() != offsets.size())
        return Error(kListSizeMismatch);
    bool skipped = false;
    for (size_t i = 0; i < characters.size(); ++i) {
        if (characters[i].size() != 1 || offsets[i].size() != 2) {
            skipped = true;
            continue;
        }
        FontGlyph& glyph = layer->Glyph(GlyphIndex(characters[i]));
        glyph.mOffsetX = offsets[i][0];
        glyph.mOffsetY = offsets[i][1];
    }
    return skipped ? TypeError() : true;
}

bool FontData::DoLayerSetKerningPairs(const ListDataElement& params)
{
    FontLayer* layer = GetLayer(*params.mElementVector[1]);
    if (layer == nullptr)
        return TypeError();
    std::vector<std::string> pairs;
    std::vector<int> values;
    if (!DataToList(*params.mElementVector[2], pairs) || !DataToIntVector(*params.mElementVector[3], values))
        return TypeError();
    if (pairs.size() != values.size())
        return Error(kListSizeMismatch);
    bool skipped = false;
    for (size_t i = 0; i < pairs.size(); ++i) {
        if (pairs[i].size() != 2) {
            skipped = true;
            continue;
        }
        const uint8_t first = static_cast<uint8_t>(static_cast<unsigned char>(pairs[i][0]));
        const uint8_t second = static_cast<uint8_t>(static_cast<unsigned char>(pairs[i][1]));
        layer->Glyph(first).mKerningOffsets[second] = static_cast<int8_t>(values[i] & 0xFF);
    }
    return skipped ? TypeError() : true;
}

bool FontData::LoadLegacy(Image* image, const std::string& widthFilePath)
{
    if (mInitialized)
        return false;
    const int imageHeight = image != nullptr ? image->GetHeight() : 0;

    auto created = std::make_unique<FontLayer>(this);
    FontLayer* layer = created.get();
    AddLayer(std::move(created));
    layer->mImage = image; // not owned
    layer->mDefaultHeight = imageHeight;
    layer->mAscent = imageHeight;

    // Read from the disk, not the archive; the file layer applies the
    // separator and case rules to the path.
    FILE* file = Plat::GetFileSystem().OpenFile(widthFilePath, "r");
    if (file == nullptr)
        return false;

    int spaceWidth = 0;
    int ascent = 0;
    if (std::fscanf(file, "%d%d", &spaceWidth, &ascent) == 2) {
        layer->Glyph(' ').mWidth = spaceWidth;
        layer->mAscent = ascent;
    }

    // Glyphs lie side by side in file order.
    int64_t x = 0;
    for (;;) {
        char character[2] = {0, 0};
        int width = 0;
        if (std::fscanf(file, "%1s%d", character, &width) < 1 || character[0] == 0)
            break;
        FontGlyph& glyph = layer->Glyph(static_cast<uint8_t>(static_cast<unsigned char>(character[0])));
        glyph.mImageRect = TRect<int>(static_cast<int>(x), 0, width, imageHeight);
        glyph.mWidth = width;
        x = std::clamp<int64_t>(x + width, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    }

    // A letter missing in one case borrows the other case's glyph.
    for (int upper = 'A'; upper <= 'Z'; ++upper) {
        const int lower = upper - 'A' + 'a';
        const int upperWidth = layer->Glyph(static_cast<uint8_t>(upper)).mWidth;
        const int lowerWidth = layer->Glyph(static_cast<uint8_t>(lower)).mWidth;
        if (upperWidth == 0 && lowerWidth != 0)
            mCharMap[upper] = static_cast<uint8_t>(lower);
        else if (lowerWidth == 0 && upperWidth != 0)
            mCharMap[lower] = static_cast<uint8_t>(upper);
    }

    mInitialized = true;
    std::fclose(file);
    return true;
}

} // namespace Lumo
