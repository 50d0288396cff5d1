// The skin editor's record read from a WM_COPYDATA payload of any length, and the style of the
// toolkit's message boxes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "skin/engine/core/message_box_flags.h"
#include "skin/engine/core/skin_editor_data.h"

namespace {

std::vector<uint8_t> Payload(uint32_t magic, size_t size, uint8_t fill)
{
    std::vector<uint8_t> p(size, fill);
    if (size) std::memcpy(p.data(), &magic, size < 4 ? size : 4);
    return p;
}

TEST(SkinEditorData, PayloadsOfEveryLength)
{
    const size_t record = sizeof(TacSkinEditorData);
    struct Case {
        const char* what;
        uint32_t magic;
        size_t size;
        bool valid;
        size_t copied;   // bytes of the record taken from the payload
    } cases[] = {
        {"empty", acSkinEditorMagic, 0, false, 0},
        {"shorter than the magic", acSkinEditorMagic, 3, false, 3},
        {"half the magic, reading as it in a zeroed record", acSkinEditorMagic, 2, false, 2},
        {"the magic alone", acSkinEditorMagic, 4, true, 4},
        {"into the name", acSkinEditorMagic, 60, true, 60},
        {"into the text", acSkinEditorMagic, 700, true, 700},
        {"the record exactly", acSkinEditorMagic, record, true, record},
        {"longer than the record", acSkinEditorMagic, record + 5000, true, record},
        {"another magic", 0xA401, record, false, record},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<uint8_t> p = Payload(c.magic, c.size, 'x');
        EXPECT_EQ(IsSkinEditorPayload(c.size ? p.data() : nullptr, c.size), c.valid);
        TacSkinEditorData d;
        std::memset(static_cast<void*>(&d), 0x55, sizeof d);   // what a previous record left
        ReadSkinEditorData(p.data(), c.size, d);
        const auto* bytes = reinterpret_cast<const uint8_t*>(&d);
        if (c.copied) {
            EXPECT_EQ(std::memcmp(bytes, p.data(), c.copied), 0);
        }
        for (size_t i = c.copied; i < record; ++i)
            if (bytes[i] != 0) {
                ADD_FAILURE() << "byte " << i << " not zero";
                break;
            }
    }
    EXPECT_FALSE(IsSkinEditorPayload(nullptr, 4));
}

TEST(SkinEditorData, FieldsEndAtTheirZeroOrTheirLength)
{
    TacSkinEditorData d;
    std::memset(d.SkinName, 'n', sizeof d.SkinName);   // no zero byte: the name fills its field
    std::memcpy(d.SkinDir, "c:\\skins\0junk", 13);
    std::memset(d.Data, 't', sizeof d.Data);
    EXPECT_EQ(SkinEditorField(d.SkinName, sizeof d.SkinName), std::string(128, 'n'));
    EXPECT_EQ(SkinEditorField(d.SkinDir, sizeof d.SkinDir), "c:\\skins");
    EXPECT_EQ(SkinEditorField(d.Data, sizeof d.Data).size(), sizeof d.Data);
    d.Data[0] = 0;
    EXPECT_EQ(SkinEditorField(d.Data, sizeof d.Data), "");
}

TEST(MessageBoxFlags, ButtonPrecedenceIconAndCaption)
{
    struct Case {
        int type;
        unsigned buttons;
        uint32_t style;
        const wchar_t* caption;
    } cases[] = {
        // The confirmation with Yes, No and Cancel: a Yes/No/Cancel box with the question icon.
        {acDlgConfirmation, acBtnYes | acBtnNo | acBtnCancel, acMbIconQuestion | acMbYesNoCancel, L"Confirm"},
        {acDlgInformation, acBtnNo, acMbIconInformation | acMbYesNo, L"Information"},
        {acDlgError, acBtnIgnore | acBtnYes, acMbIconError | acMbAbortRetryIgnore, L"Error"},   // Abort/Ignore before Yes/No
        {acDlgWarning, acBtnRetry | acBtnYes, acMbIconWarning | acMbYesNo, L"Warning"},          // Yes/No before Retry
        {acDlgCustom, acBtnCancel, acMbOK, L""},                                                 // Cancel alone: OK
        {acDlgCustom, acBtnHelp, acMbOK | acMbHelp, L""},
        {acDlgWarning, acBtnOK | acBtnCancel | acBtnAbort, acMbIconWarning | acMbOKCancel, L"Warning"},
        {7, acBtnYes, acMbYesNo, L""},    // an unknown type: no icon, no caption
        {-1, acBtnOK, acMbOK, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << "/" << c.buttons);
        EXPECT_EQ(MessageBoxStyleOf(c.type, c.buttons), c.style);
        EXPECT_STREQ(MessageBoxCaptionOf(c.type), c.caption);
    }
}

}  // namespace
