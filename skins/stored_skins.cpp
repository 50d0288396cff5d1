#include "skins/stored_skins.h"

const TStoredSkinBytes* ProgramStoredSkins()
{
    static const TStoredSkinBytes skins[ProgramStoredSkinCount] = {
        {L"Neutral", StoredSkinData::SkinNeutral, StoredSkinData::SkinNeutralSize},
        {L"Dark", StoredSkinData::SkinDark, StoredSkinData::SkinDarkSize},
        {L"Light", StoredSkinData::SkinLight, StoredSkinData::SkinLightSize},
    };
    return skins;
}
