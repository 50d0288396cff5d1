// Loading each stored skin at 96 PPI (container, description, master bitmap, every image
// definition) against decoding its pictures alone (the master and the image files), in one run.
// Prints milliseconds per load, the ratio load / decode, and whether the load stays under the
// 50 ms target.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "skin/engine/core/skin_info.h"
#include "skins/stored_skins.h"

using Clock = std::chrono::steady_clock;

namespace {

double BestMs(int runs, const auto& work)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        auto t0 = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    return best;
}

}  // namespace

int main()
{
    bool ok = true;
    std::printf("%-8s %10s %12s %7s\n", "skin", "load ms", "decode ms", "ratio");
    for (int i = 0; i < ProgramStoredSkinCount; ++i) {
        const TStoredSkinBytes& s = ProgramStoredSkins()[i];
        size_t images = 0;
        const double load = BestMs(15, [&] {
            TacSkinSource source = TacSkinSource::FromPacked(s.Data, s.Size);
            images = TacStandaloneSkin(source, 96).Data().ma.size();
        });
        const double decode = BestMs(15, [&] {
            TacSkinSource source = TacSkinSource::FromPacked(s.Data, s.Size);
            for (const TacFileItem& f : source.Container().Files) {
                if (ImageFileKindOf(f.Name) == TacImageFileKind::ikOther) continue;
                if (UpperCase(f.Name).find(L"MASTER") == 0) DecodeMasterBitmap(f.Name, f.Data);
                else DecodeSkinImage(f.Name, f.Data);
            }
        });
        std::printf("%-8ls %10.2f %12.2f %7.2f  %zu images%s\n", s.Name, load, decode, decode > 0 ? load / decode : 0.0,
                    images, load < 50 ? "" : "  over the 50 ms target");
        ok = ok && load < 50;
    }
    return ok ? 0 : 1;
}
