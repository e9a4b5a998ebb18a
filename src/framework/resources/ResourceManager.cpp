// Resource description parsing, group loading and the lookups by id.
#include "framework/resources/ResourceManager.h"

#include "framework/app/LumoAppBase.h"
#include "framework/display/DDImage.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/FontData.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/ImageFont.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SharedImage.h"
#include "framework/graphics/SysFont.h"
#include "framework/core/PathUtils.h"
#include "framework/resources/ResourceManagerException.h"
#include "framework/sound/SoundManager.h"
#include "framework/core/StringUtils.h"
#include "framework/core/SystemVersion.h"
#include "framework/parsers/XMLElement.h"
#include "framework/parsers/XMLParser.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace Lumo {

namespace {

bool HasAttribute(const XMLElement& element, const char* name)
{
    return element.FindAttribute(name) != nullptr;
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

bool EqualsNoCase(const std::string& a, const char* b)
{
    const size_t length = std::char_traits<char>::length(b);
    if (a.size() != length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        const char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        const char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y)
            return false;
    }
    return true;
}

void DeleteMap(ResourceManager::ResMap& map)
{
    for (auto& entry : map) {
        entry.second->ReleaseData();
        delete entry.second;
    }
    map.clear();
}

} // namespace

void ResourceManager::SoundRes::ReleaseData()
{
    if (mSoundId >= 0 && mApp != nullptr && mApp->soundManager != nullptr)
        mApp->soundManager->ReleaseSound(static_cast<unsigned int>(mSoundId));
    mSoundId = -1;
}

ResourceManager::FontRes::~FontRes()
{
    delete mFont;
    delete mImage;
}

void ResourceManager::FontRes::ReleaseData()
{
    delete mFont;
    mFont = nullptr;
    delete mImage;
    mImage = nullptr;
}

ResourceManager::ResourceManager(LumoAppBase* app) : mApp(app) {}

ResourceManager::~ResourceManager()
{
    DeleteMap(mImageMap);
    DeleteMap(mSoundMap);
    DeleteMap(mFontMap);
}

bool ResourceManager::RecordError(const std::string& text)
{
    if (mHasFailed)
        return false;
    mHasFailed = true;
    mError = text;
    if (mXMLParser != nullptr) {
        const int line = mXMLParser->GetCurrentLineNum();
        if (line > 0)
            mError += " on Line " + std::to_string(line);
        if (!mXMLParser->GetFileName().empty())
            mError += " in File '" + mXMLParser->GetFileName() + "'";
    }
    return false;
}

void ResourceManager::SetCurrentGroup(const std::string& group)
{
    mCurResGroup = group;
    mCurResGroupList = &mResGroupMap[group];
}

bool ResourceManager::ParseCommonAttributes(XMLElement& element, BaseRes* res, ResMap& map)
{
    mHadAlreadyDefinedError = false;
    const std::string* path = element.FindAttribute("path");
    if (path == nullptr || path->empty())
        return RecordError("No path specified.");

    res->mXMLAttributes = element.mAttributes;
    res->mFromProgram = false;
    if ((*path)[0] == '!') {
        res->mPath = *path;
        if (*path == "!program")
            res->mFromProgram = true;
    } else {
        res->mPath = mDefaultPath + *path;
    }

    const std::string* id = element.FindAttribute("id");
    const std::string fullId = mDefaultIdPrefix + (id != nullptr ? *id : GetFileName(res->mPath, true));
    res->mResGroup = mCurResGroup;
    res->mId = fullId;

    if (!map.emplace(fullId, res).second) {
        mHadAlreadyDefinedError = true;
        return RecordError("Resource already defined.");
    }
    if (mCurResGroupList == nullptr)
        SetCurrentGroup(mCurResGroup);
    mCurResGroupList->push_back(res);
    return true;
}

ResourceManager::BaseRes* ResourceManager::TakeRedefinition(BaseRes* res, ResMap& map)
{
    if (!mHadAlreadyDefinedError || !mAllowAlreadyDefinedResources) {
        delete res;
        return nullptr;
    }
    mError.clear();
    mHasFailed = false;
    BaseRes* existing = map[res->mId];
    existing->mPath = res->mPath;
    existing->mXMLAttributes = res->mXMLAttributes;
    delete res;
    return existing;
}

bool ResourceManager::ParseSoundElement(XMLElement& element)
{
    SoundRes* res = new SoundRes(mApp);
    if (!ParseCommonAttributes(element, res, mSoundMap)) {
        res = static_cast<SoundRes*>(TakeRedefinition(res, mSoundMap));
        if (res == nullptr)
            return false;
    }
    if (const std::string* volume = element.FindAttribute("volume"))
        std::sscanf(volume->c_str(), "%lf", &res->mVolume);
    if (const std::string* pan = element.FindAttribute("pan"))
        std::sscanf(pan->c_str(), "%d", &res->mPanning);
    return true;
}

bool ResourceManager::ParseImageElement(XMLElement& element)
{
    ImageRes* res = new ImageRes();
    if (!ParseCommonAttributes(element, res, mImageMap)) {
        res = static_cast<ImageRes*>(TakeRedefinition(res, mImageMap));
        if (res == nullptr)
            return false;
    }

    res->mPalletize = !HasAttribute(element, "nopal");
    res->mA4R4G4B4 = HasAttribute(element, "a4r4g4b4");
    res->mDDSurface = HasAttribute(element, "ddsurface");
    const bool is3D = mApp != nullptr && mApp->Is3DAccelerated();
    res->mPurgeBits = HasAttribute(element, "nobits") || (HasAttribute(element, "nobits3d") && is3D) ||
                      (HasAttribute(element, "nobits2d") && !is3D);
    res->mA8R8G8B8 = HasAttribute(element, "a8r8g8b8");
    res->mMinimizeSubdivisions = HasAttribute(element, "minsubdivide");

    if (const std::string* alphaImage = element.FindAttribute("alphaimage"))
        res->mAlphaImage = mDefaultPath + *alphaImage;
    res->mAlphaColor = 0xFFFFFF;
    if (const std::string* alphaColor = element.FindAttribute("alphacolor")) {
        unsigned int color = 0xFFFFFF;
        std::sscanf(alphaColor->c_str(), "%x", &color);
        res->mAlphaColor = color;
    }
    if (const std::string* variant = element.FindAttribute("variant"))
        res->mVariant = *variant;
    if (const std::string* alphaGrid = element.FindAttribute("alphagrid"))
        res->mAlphaGridImage = mDefaultPath + *alphaGrid;

    const std::string* rows = element.FindAttribute("rows");
    res->mRows = rows != nullptr ? LeadingInt(*rows) : 1;
    const std::string* cols = element.FindAttribute("cols");
    res->mCols = cols != nullptr ? LeadingInt(*cols) : 1;
    // The alpha grid and the animation divide the image by these.
    if (res->mRows < 1 || res->mCols < 1)
        return RecordError("Invalid rows or cols.");

    const std::string* anim = element.FindAttribute("anim");
    int kind = AnimInfo::KIND_NONE;
    if (anim == nullptr || EqualsNoCase(*anim, "none"))
        kind = AnimInfo::KIND_NONE;
    else if (EqualsNoCase(*anim, "once"))
        kind = AnimInfo::KIND_ONCE;
    else if (EqualsNoCase(*anim, "pingpong"))
        kind = AnimInfo::KIND_PING_PONG;
    else if (EqualsNoCase(*anim, "loop"))
        kind = AnimInfo::KIND_LOOP;
    else
        return RecordError("Invalid animation type.");
    res->mAnimInfo.mKind = kind;

    if (kind != AnimInfo::KIND_NONE) {
        if (const std::string* frameDelay = element.FindAttribute("framedelay"))
            res->mAnimInfo.mFrameDelay = LeadingInt(*frameDelay);
        const std::string* begin = element.FindAttribute("begindelay");
        const std::string* end = element.FindAttribute("enddelay");
        const int beginDelay = begin != nullptr ? LeadingInt(*begin) : 0;
        const int endDelay = end != nullptr ? LeadingInt(*end) : 0;
        if (const std::string* perFrame = element.FindAttribute("perframedelay"))
            ParseIntList(*perFrame, res->mAnimInfo.mPerFrameTimes);
        if (const std::string* frameMap = element.FindAttribute("framemap"))
            ParseIntList(*frameMap, res->mAnimInfo.mFrameMap);
        res->mAnimInfo.Compute(res->mRows > res->mCols ? res->mRows : res->mCols, beginDelay, endDelay);
    }
    return true;
}

void ResourceManager::ParseIntList(const std::string& text, std::vector<int>& list)
{
    list.clear();
    size_t position = 0;
    for (;;) {
        list.push_back(LeadingInt(text.substr(position)));
        const size_t comma = text.find(',', position);
        if (comma == std::string::npos)
            break;
        position = comma + 1;
    }
}

bool ResourceManager::ParseFontElement(XMLElement& element)
{
    FontRes* res = new FontRes();
    if (!ParseCommonAttributes(element, res, mFontMap)) {
        res = static_cast<FontRes*>(TakeRedefinition(res, mFontMap));
        if (res == nullptr)
            return false;
    }
    if (const std::string* image = element.FindAttribute("image"))
        res->mImagePath = *image;
    if (const std::string* tags = element.FindAttribute("tags"))
        res->mTags = *tags;

    if (StartsWith(res->mPath, "!sys:")) {
        res->mSysFont = true;
        res->mPath = res->mPath.substr(5);
        const std::string* size = element.FindAttribute("size");
        const int pointSize = size != nullptr ? LeadingInt(*size) : 0;
        if (pointSize < 1)
            return RecordError("SysFont needs point size");
        res->mSize = pointSize;
        res->mBold = HasAttribute(element, "bold");
        res->mItalic = HasAttribute(element, "italic");
        res->mShadow = HasAttribute(element, "shadow");
        res->mUnderline = HasAttribute(element, "underline");
    }
    return true;
}

bool ResourceManager::ParseDefaultsElement(XMLElement& element)
{
    if (const std::string* path = element.FindAttribute("path"))
        mDefaultPath = RemoveTrailingSlash(*path) + "/";
    if (const std::string* prefix = element.FindAttribute("idprefix"))
        mDefaultIdPrefix = RemoveTrailingSlash(*prefix);
    return true;
}

bool ResourceManager::ParseSection()
{
    if (mXMLParser == nullptr)
        return false;
    XMLElement element;
    for (;;) {
        if (!mXMLParser->NextElement(element))
            return false;
        if (element.mType == XMLElement::TYPE_START) {
            bool ok = false;
            if (element.mValue == "Image")
                ok = ParseImageElement(element);
            else if (element.mValue == "Sound")
                ok = ParseSoundElement(element);
            else if (element.mValue == "Font")
                ok = ParseFontElement(element);
            else if (element.mValue == "SetDefaults")
                ok = ParseDefaultsElement(element);
            else
                return RecordError("Invalid Section '" + element.mValue + "'");
            if (!ok)
                return false;
            XMLElement end;
            if (!mXMLParser->NextElement(end))
                return false;
            if (end.mType != XMLElement::TYPE_END)
                return RecordError("Unexpected element found.");
        } else if (element.mType == XMLElement::TYPE_TEXT) {
            return RecordError("Element Not Expected '" + element.mValue + "'");
        } else if (element.mType == XMLElement::TYPE_END) {
            return true;
        }
    }
}

void ResourceManager::UnloadGroupInMap(ResMap& map, const std::string& group)
{
    for (auto& entry : map) {
        if (group.empty() || entry.second->mResGroup == group)
            entry.second->ReleaseData();
    }
}

void ResourceManager::UnloadGroup(const std::string& group)
{
    UnloadGroupInMap(mImageMap, group);
    UnloadGroupInMap(mSoundMap, group);
    UnloadGroupInMap(mFontMap, group);
    mLoadedGroups.erase(group);
}

void ResourceManager::OnResourceLoaded(BaseRes*) {}

void ResourceManager::BeginGroupLoad(const std::string& group)
{
    mError.clear();
    mHasFailed = false;
    SetCurrentGroup(group);
    mCurResGroupListItr = mCurResGroupList->begin();
}

bool ResourceManager::LoadNextPending()
{
    if (mHasFailed || mCurResGroupList == nullptr)
        return false;
    while (mCurResGroupListItr != mCurResGroupList->end()) {
        BaseRes* res = *mCurResGroupListItr++;
        if (res->mFromProgram)
            continue;
        switch (res->mType) {
        case RES_IMAGE: {
            ImageRes* image = static_cast<ImageRes*>(res);
            if (static_cast<Image*>(image->mImage) != nullptr)
                continue;
            return LoadImageResource(image);
        }
        case RES_SOUND: {
            SoundRes* sound = static_cast<SoundRes*>(res);
            if (sound->mSoundId != -1)
                continue;
            return LoadSoundResource(sound);
        }
        case RES_FONT: {
            FontRes* font = static_cast<FontRes*>(res);
            if (font->mFont != nullptr)
                continue;
            return LoadFontResource(font);
        }
        default:
            continue;
        }
    }
    return false;
}

bool ResourceManager::LoadGroup(const std::string& group)
{
    mError.clear();
    mHasFailed = false;
    BeginGroupLoad(group);
    while (LoadNextPending()) {
    }
    if (mHasFailed)
        return false;
    mLoadedGroups.insert(group);
    return true;
}

bool ResourceManager::LoadImageResource(ImageRes* res)
{
    const std::string fullPath = GetFullPath(res->mPath);
    if (DDImage* cached = DDImage::ReadFromCache(fullPath, "ResMan")) {
        bool isNew = false;
        res->mImage = mApp->SetSharedImage(res->mPath, res->mVariant, cached, &isNew);
        if (!isNew)
            delete cached; // the pair already had an image; use that one
        OnResourceLoaded(res);
        return true;
    }

    ImageLib::gAlphaOnlyColor = res->mAlphaColor;
    const bool writeToDataCache = mApp->writeToDataCache;
    mApp->writeToDataCache = false;
    bool isNew = false;
    SharedImageRef ref = mApp->GetSharedImage(res->mPath, res->mVariant, &isNew);
    mApp->writeToDataCache = writeToDataCache;
    ImageLib::gAlphaOnlyColor = 0xFFFFFF;

    MemoryImage* image = ref;
    if (image == nullptr)
        return RecordError(StrFormat("Failed to load image: %s", res->mPath.c_str()));

    if (isNew) {
        if (!res->mAlphaImage.empty() && !ApplyAlphaImage(res, image))
            return false;
        if (!res->mAlphaGridImage.empty() && !ApplyAlphaGrid(res, image))
            return false;
    }

    image->CommitBits();
    res->mImage = ref;
    image->mPurgeBits = res->mPurgeBits;

    DDImage* ddImage = dynamic_cast<DDImage*>(image);
    if (res->mDDSurface) {
        image->CommitBits();
        if (!image->mHasAlpha) {
            if (ddImage != nullptr)
                ddImage->mWantDDSurface = true;
            image->mPurgeBits = true;
        }
    }

    if (res->mPalletize) {
        if (ddImage == nullptr || ddImage->mSurface == nullptr)
            image->Palletize();
        else
            image->mWantPal = true;
    }

    if (res->mA4R4G4B4)
        image->mTextureFlags |= 4;
    if (res->mA8R8G8B8)
        image->mTextureFlags |= 8;
    if (res->mMinimizeSubdivisions)
        image->mTextureFlags |= 1;

    if (res->mAnimInfo.mKind != AnimInfo::KIND_NONE) {
        delete image->mAnimInfo;
        image->mAnimInfo = new AnimInfo(res->mAnimInfo);
    }
    image->mNumRows = res->mRows;
    image->mNumCols = res->mCols;

    if (image->mPurgeBits)
        image->PurgeBits();
    if (ddImage != nullptr)
        ddImage->WriteToCache(fullPath, "ResMan");
    OnResourceLoaded(res);
    return true;
}

bool ResourceManager::ApplyAlphaImage(ImageRes* res, MemoryImage* image)
{
    std::unique_ptr<ImageLib::Image> alpha(ImageLib::GetImage(res->mAlphaImage, true));
    if (alpha == nullptr)
        return RecordError(StrFormat("Failed to load image: %s", res->mAlphaImage.c_str()));
    if (alpha->GetWidth() != image->GetWidth() || alpha->GetHeight() != image->GetHeight())
        return RecordError(StrFormat("AlphaImage size mismatch between %s and %s", res->mPath.c_str(),
                                     res->mAlphaImage.c_str()));
    uint32_t* bits = image->GetBits();
    const uint32_t* alphaBits = alpha->GetBits();
    if (bits == nullptr || alphaBits == nullptr)
        return RecordError(StrFormat("Failed to load image: %s", res->mAlphaImage.c_str()));
    const size_t count = static_cast<size_t>(image->GetWidth()) * static_cast<size_t>(image->GetHeight());
    for (size_t i = 0; i < count; ++i)
        bits[i] = (bits[i] & 0x00FFFFFF) | ((alphaBits[i] & 0xFF) << 24);
    image->BitsChanged();
    return true;
}

bool ResourceManager::ApplyAlphaGrid(ImageRes* res, MemoryImage* image)
{
    std::unique_ptr<ImageLib::Image> grid(ImageLib::GetImage(res->mAlphaGridImage, true));
    if (grid == nullptr)
        return RecordError(StrFormat("Failed to load image: %s", res->mAlphaGridImage.c_str()));
    // Rows and columns of at least 1 are checked when the element is parsed.
    const int rows = res->mRows < 1 ? 1 : res->mRows;
    const int cols = res->mCols < 1 ? 1 : res->mCols;
    const int cellWidth = image->GetWidth() / cols;
    const int cellHeight = image->GetHeight() / rows;
    if (grid->GetWidth() != cellWidth || grid->GetHeight() != cellHeight)
        return RecordError(StrFormat("GridAlphaImage size mismatch between %s and %s", res->mPath.c_str(),
                                     res->mAlphaGridImage.c_str()));
    uint32_t* bits = image->GetBits();
    const uint32_t* gridBits = grid->GetBits();
    if (bits == nullptr || gridBits == nullptr)
        return RecordError(StrFormat("Failed to load image: %s", res->mAlphaGridImage.c_str()));
    const int width = image->GetWidth();
    for (int cellRow = 0; cellRow < rows; ++cellRow) {
        for (int cellCol = 0; cellCol < cols; ++cellCol) {
            const uint32_t* source = gridBits;
            for (int y = 0; y < cellHeight; ++y) {
                uint32_t* dest = bits + static_cast<size_t>(cellRow * cellHeight + y) * width + cellCol * cellWidth;
                for (int x = 0; x < cellWidth; ++x)
                    dest[x] = (dest[x] & 0x00FFFFFF) | ((source[x] & 0xFF) << 24);
                source += cellWidth;
            }
        }
    }
    image->BitsChanged();
    return true;
}

bool ResourceManager::LoadSoundResource(SoundRes* res)
{
    SoundManager* soundManager = mApp != nullptr ? mApp->soundManager : nullptr;
    const int id = soundManager != nullptr ? soundManager->GetFreeSoundId() : -1;
    if (id < 0)
        return RecordError("Out of free sound ids");
    if (!soundManager->LoadSound(static_cast<unsigned int>(id), res->mPath))
        return RecordError(StrFormat("Failed to load sound: %s", res->mPath.c_str()));
    if (res->mVolume >= 0.0)
        soundManager->SetBaseVolume(static_cast<unsigned int>(id), res->mVolume);
    if (res->mPanning != 0)
        soundManager->SetBasePan(static_cast<unsigned int>(id), res->mPanning);
    res->mSoundId = id;
    OnResourceLoaded(res);
    return true;
}

bool ResourceManager::LoadFontResource(FontRes* res)
{
    Font* font = nullptr;
    if (res->mSysFont) {
        bool bold = res->mBold;
        bool simulateBold = false;
        if (IsWin9x()) {
            simulateBold = bold;
            bold = false;
        }
        SysFont* sysFont = new SysFont(res->mPath, res->mSize, bold, res->mItalic, res->mUnderline);
        sysFont->mDrawShadow = res->mShadow;
        sysFont->mSimulateBold = simulateBold;
        font = sysFont;
    } else if (!res->mImagePath.empty()) {
        std::unique_ptr<ImageLib::Image> picture(ImageLib::GetImage(res->mImagePath, true));
        if (picture == nullptr)
            return RecordError(StrFormat("Failed to load image: %s", res->mImagePath.c_str()));
        MemoryImage* image = new MemoryImage(mApp);
        image->SetBits(picture->GetBits(), picture->GetWidth(), picture->GetHeight());
        image->mFilePath = res->mImagePath;
        delete res->mImage;
        res->mImage = image;
        font = new ImageFont(image, res->mPath);
    } else if (StartsWith(res->mPath, "!ref:")) {
        const std::string refId = res->mPath.substr(5);
        Font* source = FindFont(refId);
        if (source == nullptr)
            return RecordError("Ref font not found: " + refId);
        font = source->Duplicate();
    } else {
        const std::string fullPath = GetFullPath(res->mPath);
        if (ImageFont* cached = ImageFont::ReadFromCache(fullPath, "ResMan")) {
            res->mFont = cached;
            OnResourceLoaded(res);
            return true;
        }
        ImageFont* imageFont = new ImageFont(mApp, res->mPath);
        imageFont->WriteToCache(fullPath, "ResMan");
        font = imageFont;
    }

    if (ImageFont* imageFont = dynamic_cast<ImageFont*>(font)) {
        if (imageFont->mFontData == nullptr || !imageFont->mFontData->mInitialized) {
            delete font;
            return RecordError(StrFormat("Failed to load font: %s", res->mPath.c_str()));
        }
        if (!res->mTags.empty()) {
            // Split in place of a fixed buffer: tag lists have no length limit.
            static const char* const kSeparators = ", \r\n\t";
            size_t start = res->mTags.find_first_not_of(kSeparators);
            while (start != std::string::npos) {
                const size_t end = res->mTags.find_first_of(kSeparators, start);
                imageFont->AddTag(res->mTags.substr(start, end == std::string::npos ? end : end - start));
                start = end == std::string::npos ? end : res->mTags.find_first_not_of(kSeparators, end);
            }
            imageFont->EnsurePrepared();
        }
    }
    res->mFont = font;
    OnResourceLoaded(res);
    return true;
}

Font* ResourceManager::FindFont(const std::string& id)
{
    const auto it = mFontMap.find(id);
    return it == mFontMap.end() ? nullptr : static_cast<FontRes*>(it->second)->mFont;
}

SharedImageRef ResourceManager::RequireImage(const std::string& id)
{
    const auto it = mImageMap.find(id);
    if (it != mImageMap.end()) {
        ImageRes* res = static_cast<ImageRes*>(it->second);
        if (static_cast<Image*>(res->mImage) != nullptr)
            return res->mImage;
        if (res->mFromProgram && mAllowMissingProgramResources)
            return SharedImageRef();
    }
    RecordError(StrFormat("Image resource not found: %s", id.c_str()));
    throw ResourceManagerException(GetErrorText());
}

int ResourceManager::RequireSound(const std::string& id)
{
    const auto it = mSoundMap.find(id);
    if (it != mSoundMap.end()) {
        SoundRes* res = static_cast<SoundRes*>(it->second);
        if (res->mSoundId != -1)
            return res->mSoundId;
        if (res->mFromProgram && mAllowMissingProgramResources)
            return -1;
    }
    RecordError(StrFormat("Sound resource not found: %s", id.c_str()));
    throw ResourceManagerException(GetErrorText());
}

Font* ResourceManager::RequireFont(const std::string& id)
{
    const auto it = mFontMap.find(id);
    if (it != mFontMap.end()) {
        FontRes* res = static_cast<FontRes*>(it->second);
        if (res->mFont != nullptr)
            return res->mFont;
        if (res->mFromProgram && mAllowMissingProgramResources)
            return nullptr;
    }
    RecordError(StrFormat("Font resource not found: %s", id.c_str()));
    throw ResourceManagerException(GetErrorText());
}

} // namespace Lumo
