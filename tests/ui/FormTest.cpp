#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ui/Form.h"

namespace {

using ui::Kind;

// One control of every kind, a radio group in a box and one outside any box.
struct EveryKind : ui::Form {
    ui::GroupBox box;
    ui::RadioButton boxA, boxB, looseA, looseB;
    ui::Button plain, enter, esc;
    ui::ComboBox pick, type;
    ui::Edit edit;
    ui::Label oneLine, sized;
    ui::Picture picture;
    ui::StatusBar status;
    EveryKind() {
        Create({"Kinds", 300, 200, ui::FormStyle::Dialog},
               {{&box, Kind::GroupBox, {8, 8, 120, 60}, "Box"},
                {&boxA, Kind::RadioButton, {8, 16, 100, 17}, "A", &box},
                {&boxB, Kind::RadioButton, {8, 36, 100, 17}, "B", &box},
                {&looseA, Kind::RadioButton, {140, 8, 100, 17}, "C"},
                {&plain, Kind::Button, {140, 30, 60, 25}, "Plain"},
                {&looseB, Kind::RadioButton, {140, 60, 100, 17}, "D"},
                {&enter, Kind::DefaultButton, {8, 80, 60, 25}, "OK"},
                {&esc, Kind::CancelButton, {80, 80, 60, 25}, "Cancel"},
                {&pick, Kind::DropDownList, {8, 110, 100, 21}},
                {&type, Kind::DropDown, {120, 110, 100, 21}},
                {&edit, Kind::Edit, {8, 140, 100, 21}},
                {&oneLine, Kind::Label, {120, 140, 60, 17}, "One line"},
                {&sized, Kind::Label, {190, 140, 0, 0}, "Sized"},
                {&picture, Kind::Picture, {8, 165, 20, 20}},
                {&status, Kind::StatusBar, {}}});
    }
};

std::string Made(const ui::Control& c) {
    wchar_t cls[64] = {};
    GetClassNameW(c.Handle(), cls, 64);
    char out[160];
    std::snprintf(out, sizeof out, "%ls %08lX %lX", cls, GetWindowLongW(c.Handle(), GWL_STYLE),
                  GetWindowLongW(c.Handle(), GWL_EXSTYLE));
    return out;
}

TEST(Form, EachKindIsMadeWithItsClassAndStyles) {
    EveryKind f;
    ASSERT_EQ(f.Dpi(), 96);
    const std::pair<const ui::Control*, const char*> expected[] = {
        {&f.box, "Button 50020007 0"},
        {&f.boxA, "Button 50030009 0"},  // starts its tab group
        {&f.boxB, "Button 50010009 0"},  // continues it
        {&f.looseA, "Button 50030009 0"},
        {&f.plain, "Button 50030000 0"},
        {&f.looseB, "Button 50030009 0"},  // after a button: a group of its own again
        {&f.enter, "Button 50030001 0"},
        {&f.esc, "Button 50030000 0"},
        {&f.pick, "ComboBox 50030003 0"},
        {&f.type, "ComboBox 50030042 0"},
        {&f.edit, "Edit 50030080 200"},
        {&f.oneLine, "Static 5002010C 0"},
        {&f.sized, "Static 50020100 0"},
        {&f.picture, "Static 5002010D 0"},
        {&f.status, "msctls_statusbar32 50000003 0"},
    };
    for (const auto& [control, made] : expected) EXPECT_EQ(Made(*control), made);
    // The table's height is the closed box's; the list reaches 200 px further,
    // which moves the bottom of the dropped rectangle, as Wine reports it, as much.
    RECT box{}, dropped{};
    GetWindowRect(f.type.Handle(), &box);
    SendMessageW(f.type.Handle(), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    EXPECT_EQ(dropped.bottom - box.top, 198);
}

TEST(Form, RadioButtonsUncheckOnlyTheirOwnGroup) {
    EveryKind f;
    f.boxA.SetChecked(true);
    f.looseA.SetChecked(true);
    f.boxB.SetChecked(true);
    f.looseB.SetChecked(true);
    auto on = [](const ui::RadioButton& r) { return r.Checked() ? '1' : '0'; };
    std::string checked{on(f.boxA), on(f.boxB), ' ', on(f.looseA), on(f.looseB)};
    EXPECT_EQ(checked, "01 01");
}

}  // namespace
