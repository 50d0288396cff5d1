// The toolkit's image lists live above the engine, so the skin manager cannot walk them itself:
// the image-list layer hands it these walkers, and the manager runs them after publishing a new
// skin (character lists drop their renditions in the old colours) and after a rescale (every
// list takes the new PPI; character lists that scale rebuild their standard list).
#pragma once

struct TacImageListWalkers {
    void (*SkinChanged)() = nullptr;
    void (*ScaleChanged)(int ppi) = nullptr;
};

// Replaces the walkers (null members: nothing runs).
void SetImageListWalkers(const TacImageListWalkers& walkers);
const TacImageListWalkers& ImageListWalkers();
