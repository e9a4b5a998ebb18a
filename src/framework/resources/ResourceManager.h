// Named images, sounds and fonts read from an XML resource description,
// kept in groups that are loaded and released as a whole.
#pragma once

#include "framework/graphics/AnimInfo.h"
#include "framework/graphics/SharedImageRef.h"

#include <cstdint>
#include <list>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace Lumo {

class Font;
class Image;
class LumoAppBase;
class MemoryImage;
class XMLElement;
class XMLParser;

class ResourceManager {
public:
    enum ResType { RES_IMAGE = 0, RES_SOUND = 1, RES_FONT = 2 };

    class BaseRes {
    public:
        BaseRes(int type) : mType(type) {}
        BaseRes(const BaseRes&) = delete;
        BaseRes& operator=(const BaseRes&) = delete;
        virtual ~BaseRes() = default;
        virtual void ReleaseData() {}

        int mType;
        std::string mId;
        std::string mResGroup;
        std::string mPath;
        std::map<std::string, std::string> mXMLAttributes;
        bool mFromProgram = false;
    };

    class ImageRes : public BaseRes {
    public:
        ImageRes() : BaseRes(RES_IMAGE) {}
        void ReleaseData() override { mImage.Release(); }

        SharedImageRef mImage;
        std::string mAlphaImage;
        std::string mAlphaGridImage;
        std::string mVariant;
        bool mPalletize = false;
        bool mA4R4G4B4 = false;
        bool mA8R8G8B8 = false;
        bool mDDSurface = false;
        bool mPurgeBits = false;
        bool mMinimizeSubdivisions = false;
        int mRows = 1;
        int mCols = 1;
        uint32_t mAlphaColor = 0xFFFFFF;
        AnimInfo mAnimInfo;
    };

    class SoundRes : public BaseRes {
    public:
        // The application gives the sound manager that releases the sound.
        explicit SoundRes(LumoAppBase* app) : BaseRes(RES_SOUND), mApp(app) {}
        void ReleaseData() override;

        int mSoundId = -1;
        double mVolume = -1.0;
        int mPanning = 0;
        LumoAppBase* mApp;
    };

    class FontRes : public BaseRes {
    public:
        FontRes() : BaseRes(RES_FONT) {}
        ~FontRes() override;
        void ReleaseData() override;

        Font* mFont = nullptr;   // owned
        Image* mImage = nullptr; // owned; the picture of a legacy image font
        std::string mImagePath;
        std::string mTags;
        bool mSysFont = false;
        bool mBold = false;
        bool mItalic = false;
        bool mUnderline = false;
        bool mShadow = false;
        int mSize = 0;
    };

    using ResMap = std::map<std::string, BaseRes*>;
    using ResList = std::list<BaseRes*>;
    using ResGroupMap = std::map<std::string, ResList>;

    explicit ResourceManager(LumoAppBase* app);
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;

    virtual bool ParseCommonAttributes(XMLElement& element, BaseRes* res, ResMap& map); // 0
    virtual bool ParseSoundElement(XMLElement& element);                              // 1
    virtual bool ParseImageElement(XMLElement& element);                              // 2
    virtual bool ParseFontElement(XMLElement& element);                               // 3
    virtual bool ParseDefaultsElement(XMLElement& element);                           // 4
    // Reads the elements of one section up to its end tag.
    virtual bool ParseSection();                                                      // 5
    virtual void UnloadGroup(const std::string& group);                               // 6
    virtual void UnloadGroupInMap(ResMap& map, const std::string& group);            // 7
    virtual bool LoadImageResource(ImageRes* res);                                    // 8
    virtual bool LoadFontResource(FontRes* res);                                      // 9
    virtual bool LoadSoundResource(SoundRes* res);                                    // 10
    virtual ~ResourceManager();                                                       // 11
    // Loads the next record of the group being loaded; true while there is more.
    virtual bool LoadNextPending();                                                   // 12
    virtual void OnResourceLoaded(BaseRes* res);                                      // 13
    virtual void BeginGroupLoad(const std::string& group);                           // 14
    virtual bool LoadGroup(const std::string& group);                                 // 15
    // Lookups by full id: the loaded data, or a ResourceManagerException.
    virtual SharedImageRef RequireImage(const std::string& id);                       // 16
    virtual int RequireSound(const std::string& id);                                  // 17
    virtual Font* RequireFont(const std::string& id);                                 // 18

    // Keeps the first error only; always false.
    bool RecordError(const std::string& text);
    std::string GetErrorText() const { return mError; }
    bool HasFailed() const { return mHasFailed; }
    // The font of the record, or null; never an error.
    Font* FindFont(const std::string& id);
    static void ParseIntList(const std::string& text, std::vector<int>& list);
    bool ApplyAlphaImage(ImageRes* res, MemoryImage* image);
    bool ApplyAlphaGrid(ImageRes* res, MemoryImage* image);
    // Makes the group current for ParseSection (its list created when absent).
    void SetCurrentGroup(const std::string& group);
    bool IsGroupLoaded(const std::string& group) const { return mLoadedGroups.count(group) != 0; }

    std::set<std::string> mLoadedGroups;
    ResMap mImageMap;
    ResMap mSoundMap;
    ResMap mFontMap;
    XMLParser* mXMLParser = nullptr; // not owned
    std::string mError;
    bool mHasFailed = false;
    LumoAppBase* mApp;
    std::string mCurResGroup;
    std::string mDefaultPath;
    std::string mDefaultIdPrefix;
    bool mAllowMissingProgramResources = false;
    bool mAllowAlreadyDefinedResources = false;
    bool mHadAlreadyDefinedError = false;
    ResGroupMap mResGroupMap;
    ResList* mCurResGroupList = nullptr;
    ResList::iterator mCurResGroupListItr;

private:
    // The redefinition rule after a failed ParseCommonAttributes; returns the
    // record to read the element's own attributes into, or null.
    BaseRes* TakeRedefinition(BaseRes* res, ResMap& map);
};

} // namespace Lumo
