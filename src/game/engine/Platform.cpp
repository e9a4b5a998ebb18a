#include "game/engine/Platform.h"

#include "framework/graphics/Color.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Matrix3.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/Rect.h"
#include "game/engine/DesktopFileDialog.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/FileDialogProvider.h"
#include "game/engine/GameState.h"
#include "game/engine/PlatformHost.h"
#include "game/engine/PlatformImage.h"
#include "platform/files/FileSystem.h"
#include "platform/system/FileChooser.h"
#include "platform/system/MessageBox.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <memory>

namespace {

// A 0 .. 1 channel as 0 .. 255; clamped before the conversion so that any
// float (NaN included, as 0) gives a valid channel.
int UnitToChannel(float value)
{
    const float scaled = value * 255.0f;
    if (!(scaled > 0.0f)) {
        return 0;
    }
    if (scaled >= 255.0f) {
        return 255;
    }
    return static_cast<int>(scaled);
}

Lumo::Color UnitColor(float r, float g, float b, float a)
{
    return Lumo::Color(UnitToChannel(r), UnitToChannel(g), UnitToChannel(b), UnitToChannel(a));
}

int ClampToInt(int64_t value)
{
    return value > INT32_MAX ? INT32_MAX : (value < INT32_MIN ? INT32_MIN : static_cast<int>(value));
}

} // namespace

Platform::Platform(PlatformHost* host) : mHost(host), mMainThread(std::this_thread::get_id()) {}

Platform::~Platform() = default;

namespace {

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

// The components of a path: [start, end) ranges between separators.
std::vector<std::pair<size_t, size_t>> PathComponents(const std::string& path)
{
    std::vector<std::pair<size_t, size_t>> parts;
    size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && IsSeparator(path[i]))
            ++i;
        const size_t start = i;
        while (i < path.size() && !IsSeparator(path[i]))
            ++i;
        if (i > start)
            parts.emplace_back(start, i);
    }
    return parts;
}

bool SameNoCase(const std::string& a, std::pair<size_t, size_t> ra, const std::string& b,
                std::pair<size_t, size_t> rb)
{
    if (ra.second - ra.first != rb.second - rb.first)
        return false;
    for (size_t k = 0; k < ra.second - ra.first; ++k) {
        const auto ca = static_cast<unsigned char>(a[ra.first + k]);
        const auto cb = static_cast<unsigned char>(b[rb.first + k]);
        if (std::tolower(ca) != std::tolower(cb))
            return false;
    }
    return true;
}

} // namespace

std::string Platform::RelativeToFolder(const std::string& path, const std::string& folder)
{
    const bool pathRooted = !path.empty() && IsSeparator(path[0]);
    const bool folderRooted = !folder.empty() && IsSeparator(folder[0]);
    if (folder.empty() || pathRooted != folderRooted)
        return path;
    const auto pathParts = PathComponents(path);
    const auto folderParts = PathComponents(folder);
    // Something must be left after the folder: the folder itself is no file.
    if (pathParts.size() <= folderParts.size())
        return path;
    for (size_t i = 0; i < folderParts.size(); ++i) {
        if (!SameNoCase(path, pathParts[i], folder, folderParts[i]))
            return path;
    }
    std::string relative;
    for (size_t i = folderParts.size(); i < pathParts.size(); ++i) {
        if (!relative.empty())
            relative += '\\';
        relative.append(path, pathParts[i].first, pathParts[i].second - pathParts[i].first);
    }
    return relative;
}

void Platform::OpenFileDialog(const char* pattern, const char* filterName, const char* folder, int keepFullPath,
                              FileDialogDone done, bool save)
{
    FileDialogRequest request;
    request.pattern = pattern != nullptr ? pattern : "";
    request.filterName = filterName != nullptr ? filterName : "";
    request.folder = folder != nullptr ? folder : "";
    request.save = save;

    FileDialogProvider* provider = mFileDialogProvider;
    if (provider == nullptr) {
        // The desktop's chooser only over a window: in full screen it would open
        // behind the game, and the game cannot switch to a window while the
        // editor works on a level.
        const bool windowed = mHost != nullptr && mHost->IsWindowed();
        if (windowed && Plat::IsFileChooserAvailable()) {
            if (!mDesktopFileDialog) {
                PlatformHost* host = mHost;
                mDesktopFileDialog = std::make_unique<DesktopFileDialog>([host] { host->PumpWindowEvents(); },
                                                                         [host] {
                                                                             host->ClearKeyStates();
                                                                             if (GameState::TryCurrent() != nullptr)
                                                                                 Game().mInput.ClearKeyStates();
                                                                         });
            }
            provider = mDesktopFileDialog.get();
        } else {
            provider = mFallbackFileDialog;
        }
    }
    if (provider == nullptr) {
        if (done)
            done(nullptr);
        return;
    }
    provider->Ask(request, [keepFullPath, done = std::move(done)](const std::string* path) {
        if (!done)
            return;
        if (path == nullptr || path->empty()) {
            done(nullptr);
            return;
        }
        if (keepFullPath != 0) {
            done(path->c_str());
            return;
        }
        const std::string relative = RelativeToFolder(*path, Plat::GetFileSystem().CurrentFolder());
        done(relative.c_str());
    });
}

bool Platform::BeginDraw()
{
    return true;
}

void Platform::EndDraw() {}

void Platform::ClearScreen()
{
    DrawRect(0, 0, kScreenWidth - 1, kScreenHeight - 1, 0, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f);
}

void Platform::DrawRect(int x1, int y1, int x2, int y2, int /*unused*/, float fillR, float fillG, float fillB,
                        float fillA, float outlineR, float outlineG, float outlineB, float outlineA)
{
    if (mGraphics == nullptr) {
        return;
    }
    const int width = ClampToInt(int64_t(x2) - x1);
    const int height = ClampToInt(int64_t(y2) - y1);
    mGraphics->SetColor(UnitColor(fillR, fillG, fillB, fillA));
    mGraphics->FillRect(x1, y1, width, height);
    mGraphics->SetColor(UnitColor(outlineR, outlineG, outlineB, outlineA));
    mGraphics->DrawRect(x1, y1, width, height);
}

void Platform::DrawLine(int x1, int y1, int x2, int y2, float r, float g, float b, float a)
{
    if (mGraphics == nullptr) {
        return;
    }
    mGraphics->SetColor(UnitColor(r, g, b, a));
    mGraphics->DrawLine(x1, y1, x2, y2);
}

void Platform::SetClipRect(int x1, int y1, int x2, int y2)
{
    if (mGraphics == nullptr) {
        return;
    }
    // Cut to the screen as a whole rectangle: a left edge off screen must
    // also shorten the width.
    const Lumo::TRect<int> asked(x1, y1, ClampToInt(int64_t(x2) - x1), ClampToInt(int64_t(y2) - y1));
    const Lumo::TRect<int> clip = asked.Intersection(Lumo::TRect<int>(0, 0, kScreenWidth, kScreenHeight));
    mGraphics->SetClipRect(clip.mX, clip.mY, clip.mWidth, clip.mHeight);
}

void Platform::SetDrawMode(int mode)
{
    if (mGraphics != nullptr && (mode == 0 || mode == 1)) {
        mGraphics->SetDrawMode(mode);
    }
}

void Platform::DrawImage(PlatformImage& image, float x1, float y1, float x2, float y2, float x, float y,
                         float rotation, float scaleX, float scaleY, float r, float g, float b, float a, bool mirrorX,
                         bool mirrorY)
{
    Lumo::MemoryImage* picture = image.GetImage();
    if (picture == nullptr) {
        return;
    }
    // Positions and transforms come from data and animation: a value that is
    // not a number places nothing.
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(rotation) || !std::isfinite(scaleX)
        || !std::isfinite(scaleY)) {
        return;
    }

    std::unique_ptr<Lumo::Graphics> targetGraphics;
    Lumo::Graphics* graphics = mGraphics;
    int extraSourceWidth = 0;
    if (mRenderTarget != nullptr) {
        Lumo::MemoryImage* target = mRenderTarget->GetImage();
        if (target == nullptr) {
            return;
        }
        // A fresh context on the target clips to the whole target.
        targetGraphics = std::make_unique<Lumo::Graphics>(target);
        graphics = targetGraphics.get();
        if (x2 - x1 > 700.0f) {
            extraSourceWidth = 1;
            if (mirrorY) {
                x -= 1.0f;
            }
        }
    }
    if (graphics == nullptr) {
        return;
    }

    const bool is3D = Is3DAccelerated();
    const float offset = is3D ? 1.0f : 0.0f;

    const Lumo::Color color = UnitColor(r, g, b, a);
    if (color == Lumo::Color::White) {
        graphics->SetColorizeImages(false);
    } else {
        graphics->SetColorizeImages(true);
        graphics->SetColor(color);
    }

    const float effectiveScaleX = mirrorX ? -scaleX : scaleX;
    const float effectiveScaleY = mirrorY ? -scaleY : scaleY;
    if (!is3D) {
        x += 1.0f;
        y += 1.0f;
    }

    const int left = SaturateToInt(x1);
    const int top = SaturateToInt(y1);
    int64_t right = int64_t(SaturateToInt(x2)) + extraSourceWidth;
    if (extraSourceWidth != 0 && right > picture->GetWidth()) {
        // The extra column must come from the picture: a source reaching past
        // it would not be drawn at all.
        right = picture->GetWidth();
    }
    const Lumo::TRect<int> source(left, top, ClampToInt(right - left), ClampToInt(int64_t(SaturateToInt(y2)) - top));

    if (effectiveScaleX == 1.0f && effectiveScaleY == 1.0f && rotation == 0.0f && !is3D) {
        graphics->DrawImageMirror(picture, SaturateToInt(x), SaturateToInt(y), source, mirrorX);
        return;
    }
    Lumo::Matrix3 matrix;
    matrix.Scale(effectiveScaleX, effectiveScaleY);
    matrix.RotateDegrees(rotation);
    matrix.Translate((x2 - x1) / 2.0f + offset / 2.0f, (y2 - y1) / 2.0f + offset / 2.0f);
    graphics->DrawImageMatrix(picture, matrix, source, x, y);
}

bool Platform::Is3DAccelerated()
{
    return mHost != nullptr && mHost->Is3DAccelerated();
}

bool Platform::IsWindowed()
{
    return mHost != nullptr && mHost->IsWindowed();
}

void Platform::Quit()
{
    if (mHost != nullptr && mHost->GetLoadingState() >= 0) {
        mHost->CloseMainWindow();
    }
}

void Platform::MessageBox(const std::string& text)
{
    ShowBox(text, "Trindle Game");
}

void Platform::ShowBox(const std::string& text, const std::string& caption)
{
    if (std::this_thread::get_id() != mMainThread) {
        std::lock_guard<std::mutex> guard(mQueueLock);
        mQueuedBoxes.emplace_back(text, caption);
        return;
    }
    Plat::GetMessageBoxes().Show(nullptr, text, caption, Plat::kMbOk);
}

void Platform::ShowQueuedMessages()
{
    if (std::this_thread::get_id() != mMainThread) {
        return;
    }
    std::vector<std::pair<std::string, std::string>> boxes;
    {
        std::lock_guard<std::mutex> guard(mQueueLock);
        boxes.swap(mQueuedBoxes);
    }
    for (const auto& [text, caption] : boxes) {
        Plat::GetMessageBoxes().Show(nullptr, text, caption, Plat::kMbOk);
    }
}

void Platform::ReportImageLoadFailure(const std::string& path)
{
    {
        std::lock_guard<std::mutex> guard(mReportedLock);
        if (!mReportedPaths.insert(path).second) {
            return;
        }
    }
    ShowBox(path, "ERROR: Failed to load image");
}
