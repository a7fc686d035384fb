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
    HRESULT Blt(LPRECT to, LPDIRECTDRAWSURFACE7 from, LPRECT fromRect, DWORD flags, LPDDBLTFX fx) override
    {
        return inner_->Blt(to, from, fromRect, flags, fx);
    }
    HRESULT BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 from, LPRECT fromRect, DWORD flags) override
    {
        return inner_->BltFast(x, y, from, fromRect, flags);
    }
    HRESULT Flip(LPDIRECTDRAWSURFACE7 target, DWORD flags) override { return inner_->Flip(target, flags); }
    HRESULT GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7 *attached) override
    {
        return inner_->GetAttachedSurface(caps, attached);
    }
    HRESULT GetColorKey(DWORD flags, LPDDCOLORKEY key) override { return inner_->GetColorKey(flags, key); }
    HRESULT GetSurfaceDesc(LPDDSURFACEDESC2 desc) override { return inner_->GetSurfaceDesc(desc); }
    HRESULT Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD flags, HANDLE event) override
    {
        return inner_->Lock(rect, desc, flags, event);
    }
    HRESULT SetClipper(LPDIRECTDRAWCLIPPER clipper) override { return inner_->SetClipper(clipper); }
    HRESULT SetColorKey(DWORD flags, LPDDCOLORKEY key) override { return inner_->SetColorKey(flags, key); }
    HRESULT Unlock(LPRECT rect) override { return inner_->Unlock(rect); }

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
            library.display = &screen.display;
            TestSprite two(16, 0, {frameOf16BitWords(2, 1, {0x3E00, 0x00F8}), frameOf16BitWords(1, 1, {0x0100})});
            TestSprite none(16, 0, {});
            TestSprite one(16, 1, {frameOf16BitWords(0, 1, {}), frameOf16BitWords(3, 1, {1, 2, 3})});
            for (const TestSprite *sprite : {&two, &none, &one}) {
                SpriteEntry entry;
                ASSERT_TRUE(entry.createFrames(screen.display, sprite->record()));
                for (SpriteFrame &frame : entry.frames) {
                    if (!frame.surface)
                        continue;
                    watched.push_back(std::make_unique<WatchedSurface>(frame.surface));
                    frame.surface = watched.back().get();
                }
                library.entries.push_back(entry);
                library.spriteIds.push_back(int32_t(library.spriteIds.size()));
                library.names.push_back(nullptr);
            }
            ASSERT_EQ(watched.size(), 3u);  // the frame of width 0 has none
            EXPECT_EQ(standin::liveCounts().surfaces, displaySurfaces + 3);
        }
        EXPECT_FALSE(moduleLoaded());
        for (size_t i = 0; i < watched.size(); ++i) {
            EXPECT_EQ(watched[i]->releases, 1) << "surface " << i;
            EXPECT_FALSE(watched[i]->moduleLoadedAtRelease) << "surface " << i;
        }
        EXPECT_EQ(standin::liveCounts().surfaces, displaySurfaces);
    }
    const standin::LiveCounts after = standin::liveCounts();
    EXPECT_EQ(after.directDrawObjects, 0);
    EXPECT_EQ(after.surfaces, 0);
    EXPECT_EQ(after.clippers, 0);
    EXPECT_EQ(after.releasesAfterChain, 0);
}

} // namespace
