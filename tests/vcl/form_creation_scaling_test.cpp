// A form built in code at the design PPI on a screen of another PPI (this file also runs under
// a prefix at 144 PPI): its loading scales the layout once to the screen's PPI, before
// OnCreate, and leaves the fonts alone (they are made at the screen's PPI already).
#include <gtest/gtest.h>

#include "tests/vcl/form_ptr.h"
#include "vcl/extctrls.h"
#include "vcl/forms.h"
#include "vcl/stdctrls.h"

namespace {

// As the program does at start: PPI-aware, so the system tells it the real PPI.
[[maybe_unused]] const bool PpiAware = DeclarePerMonitorPpiAware();

class TDesignedForm : public TForm {
public:
    TDesignedForm(bool scaled) : TForm(nullptr)
    {
        BeginLoading();
        SetScaled(scaled);
        SetBorderStyle(bsNone);
        SetBounds(40, 30, 400, 300);
        Panel = new TPanel(this);
        Panel->SetParent(this);
        Panel->SetBounds(10, 20, 200, 100);
        Panel->SetParentFont(false);
        Panel->Font()->SetSize(10);
        Panel->SetConstraints(TSizeConstraints{50, 40, 0, 0});
        Button = new TButton(Panel);
        Button->SetParent(Panel);
        Button->SetBounds(8, 8, 75, 25);
        OnCreate = Bind<&TDesignedForm::FormCreate>(this);
        EndLoading();
    }
    void FormCreate(TObject*) { ButtonWidthAtCreate = Button->Width(); }

    TPanel* Panel = nullptr;
    TButton* Button = nullptr;
    int ButtonWidthAtCreate = 0;
};

TEST(FormCreationScaling, ALoadedFormTakesTheScreensPpiOnceAndKeepsItsFonts)
{
    const int ppi = ScreenPixelsPerInch();
    TFont tenPoint;   // made now, at the screen's PPI
    tenPoint.SetSize(10);
    TFont standard;
    if (Application) standard.Assign(Application->DefaultFont());
    const struct {
        bool scaled;
    } cases[] = {{true}, {false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scaled);
        FormPtr form(new TDesignedForm(c.scaled));
        auto* f = static_cast<TDesignedForm*>(form.get());
        const int to = c.scaled ? ppi : TCustomForm::DesignPPI;
        auto s = [&](int v) { return MulDiv(v, to, TCustomForm::DesignPPI); };
        EXPECT_EQ(f->CurrentPPI(), to);
        EXPECT_EQ(f->Button->CurrentPPI(), to);
        EXPECT_EQ(f->Panel->BoundsRect(), Bounds(s(10), s(20), s(200), s(100)));
        EXPECT_EQ(f->Button->BoundsRect(), Bounds(s(8), s(8), s(75), s(25)));
        EXPECT_EQ(f->Panel->Constraints().MinWidth, s(50));
        EXPECT_EQ(f->Panel->Constraints().MinHeight, s(40));
        EXPECT_EQ(f->ClientWidth(), s(400));
        EXPECT_EQ(f->Left(), 40) << "the form keeps its place";
        EXPECT_EQ(f->ButtonWidthAtCreate, s(75)) << "OnCreate sees the scaled layout";
        // Fonts: as made, not scaled a second time.
        EXPECT_EQ(f->Panel->Font()->Height(), tenPoint.Height());
        EXPECT_EQ(f->Font()->Height(), standard.Height());
        EXPECT_EQ(f->Button->Font()->Height(), tenPoint.Height()) << "the panel's font";
        // A later move to another screen still scales everything, fonts too.
        f->ScaleForPPI(to * 2);
        EXPECT_EQ(f->Panel->Font()->Height(), MulDiv(tenPoint.Height(), to * 2, to));
        EXPECT_EQ(f->Button->Width(), MulDiv(s(75), to * 2, to));
    }
}

}  // namespace
