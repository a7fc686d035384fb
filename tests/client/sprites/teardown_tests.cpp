// The sprite library's teardown, watched through the stand-in's counts of
// live DirectDraw objects (Linux only). Runs beside a test module, so that
// "loaded" can be asked of the dynamic loader.
#include "client/sprites/sprite_library.h"
#include "client/sprites/sprite_module.h"
#include "platform/standin.h"
#include "tests/client/display/display_test_support.h"
#include "tests/client/sprites/sprite_test_support.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

// Whether the module that LoadLibraryA("Vornak") found beside this program
// is still loaded.
bool moduleLoaded()
{
    char exe[4096];
    ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length <= 0)
        return false;
    std::string path(exe, size_t(length));
    path = path.substr(0, path.rfind('/')) + "/libVornak.so";
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

// Passes every call on to a real surface, and notes what each Release saw.
class WatchedSurface final : public IDirectDrawSurface7 {
public:
    explicit WatchedSurface(IDirectDrawSurface7 *inner) : inner_(inner) {}

    int releases = 0;
    bool moduleLoadedAtRelease = false;

    HRESULT QueryInterface(REFIID riid, void **object) override { return inner_->QueryInterface(riid, object); }
    ULONG AddRef() override { return inner_->AddRef(); }
    ULONG Release() override
    {
        ++releases;
        moduleLoadedAtRelease = moduleLoaded();
        return inner_->Release();
    }
    // clang-format off
    HRESULT Blt(LPRECT a, LPDIRECTDRAWSURFACE7 b, LPRECT c, DWORD d, LPDDBLTFX e) override { return inner_->Blt(a, b, c, d, e); }
    HRESULT BltFast(DWORD a, DWORD b, LPDIRECTDRAWSURFACE7 c, LPRECT d, DWORD e) override { return inner_->BltFast(a, b, c, d, e); }
    HRESULT Flip(LPDIRECTDRAWSURFACE7 a, DWORD b) override { return inner_->Flip(a, b); }
    HRESULT GetAttachedSurface(LPDDSCAPS2 a, LPDIRECTDRAWSURFACE7 *b) override { return inner_->GetAttachedSurface(a, b); }
    HRESULT GetColorKey(DWORD a, LPDDCOLORKEY b) override { return inner_->GetColorKey(a, b); }
    HRESULT GetSurfaceDesc(LPDDSURFACEDESC2 a) override { return inner_->GetSurfaceDesc(a); }
    HRESULT Lock(LPRECT a, LPDDSURFACEDESC2 b, DWORD c, HANDLE d) override { return inner_->Lock(a, b, c, d); }
    HRESULT SetClipper(LPDIRECTDRAWCLIPPER a) override { return inner_->SetClipper(a); }
    HRESULT SetColorKey(DWORD a, LPDDCOLORKEY b) override { return inner_->SetColorKey(a, b); }
    HRESULT Unlock(LPRECT a) override { return inner_->Unlock(a); }
    // clang-format on

private:
    IDirectDrawSurface7 *inner_;
};

TEST(TeardownTest, ModuleGoesFirstThenEverySurfaceOnceAndNothingOutlivesTheDisplay)
{
    std::vector<std::unique_ptr<WatchedSurface>> watched;
    {
        TestDisplay screen(16);
        ASSERT_TRUE(screen.ready);
        const int displaySurfaces = standin::liveCounts().surfaces;
        {
            SpriteLibrary library;
            ASSERT_TRUE(moduleLoaded());
            TestSprite two(16, 0), none(16, 0), one(16, 1);
            two.addFrame(2, 1, storedWords({0x3E00, 0x00F8}));
            two.addFrame(1, 1, storedWords({0x0100}));
            one.addFrame(0, 1, {});
            one.addFrame(3, 1, storedWords({1, 2, 3}));
            for (const TestSprite *sprite : {&two, &none, &one}) {
                SpriteEntry entry;
                ASSERT_TRUE(entry.createFrames(screen.display, sprite->record));
                for (SpriteFrame &frame : entry.frames) {
                    if (frame.surface) {
                        watched.push_back(std::make_unique<WatchedSurface>(frame.surface));
                        frame.surface = watched.back().get();
                    }
                }
                addPlaceholderSprite(library, 0);
                library.entries.back() = entry;
            }
            ASSERT_EQ(watched.size(), 3u);  // the frame of width 0 has none
            EXPECT_EQ(standin::liveCounts().surfaces, displaySurfaces + 3);
        }
        EXPECT_FALSE(moduleLoaded());
        for (const auto &surface : watched)
            EXPECT_TRUE(surface->releases == 1 && !surface->moduleLoadedAtRelease);
        EXPECT_EQ(standin::liveCounts().surfaces, displaySurfaces);
    }
    const standin::LiveCounts after = standin::liveCounts();
    EXPECT_TRUE(after.directDrawObjects == 0 && after.surfaces == 0 && after.clippers == 0);
    EXPECT_EQ(after.releasesAfterChain, 0);
}

} // namespace
