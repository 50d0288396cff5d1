#include "skin/graphics/text32.h"

bool FontsEqual(const TFont* font1, const TFont* font2)
{
    if (!font1 || !font2) return font1 == font2;
    return font1->Style() == font2->Style() && font1->Size() == font2->Size() && font1->Color() == font2->Color() &&
           font1->Name() == font2->Name();
}
