#include "ui/design/window_tables.h"

#include "ui/design/app_identity.h"
#include "ui/design/links.h"

#include <algorithm>
#include <stdexcept>

namespace sv::design {

namespace {

constexpr Font kMsSansSerif{.name = "MS Sans Serif"};
constexpr Font kMsSansSerifBold{.name = "MS Sans Serif", .weight = kBoldWeight};
constexpr Font kMsSansSerifLarge{.name = "MS Sans Serif", .points = 9.75, .weight = kBoldWeight};
constexpr Font kArial{.name = "Arial"};
constexpr Font kArialItalic{.name = "Arial", .italic = true};

constexpr Colour kFormGreen = Colour::fixed(160, 210, 157);
constexpr Colour kLavender = Colour::fixed(222, 208, 242);
constexpr Colour kCream = Colour::fixed(254, 242, 226);
constexpr Colour kDarkBlue = Colour::fixed(0, 0, 192);
constexpr Colour kRed = Colour::fixed(255, 0, 0);
constexpr Colour kButtonText = Colour::ofSystem(SystemColour::ButtonText);
constexpr Colour kButtonFace = Colour::ofSystem(SystemColour::ButtonFace);
constexpr Colour kWindowText = Colour::ofSystem(SystemColour::WindowText);
constexpr Colour kWindowColour = Colour::ofSystem(SystemColour::Window);

constexpr Control listBox(std::string_view name, Rect rect, std::string_view tooltip, int tabIndex,
                          bool tabStop = true) {
  return {.name = name,
          .kind = ControlKind::ListBox,
          .rect = rect,
          .tooltip = tooltip,
          .font = kMsSansSerif,
          .fore = kWindowText,
          .back = kWindowColour,
          .border = true,
          .tabIndex = tabIndex,
          .tabStop = tabStop};
}

constexpr Control pushButton(std::string_view name, Rect rect, std::string_view text,
                             std::string_view tooltip, Font font, int tabIndex) {
  return {.name = name,
          .kind = ControlKind::PushButton,
          .rect = rect,
          .text = text,
          .tooltip = tooltip,
          .font = font,
          .fore = kButtonText,
          .back = kLavender,
          .tabIndex = tabIndex,
          .tabStop = true,
          .wordWrap = true,
          .align = Align::Centre};
}

constexpr Control textBox(std::string_view name, Rect rect, int tabIndex, std::string_view picker) {
  return {.name = name,
          .kind = ControlKind::TextBox,
          .rect = rect,
          .font = kArial,
          .fore = kDarkBlue,
          .back = kCream,
          .border = true,
          .tabIndex = tabIndex,
          .tabStop = true,
          .namedAfter = picker};
}

constexpr Control withPicture(Control control, Picture picture) {
  control.picture = picture;
  return control;
}

constexpr Control headedBy(Control control, std::string_view heading) {
  control.namedAfter = heading;
  return control;
}

constexpr Control openFileDialog(std::string_view name, std::string_view filter) {
  return {.name = name, .kind = ControlKind::OpenFileDialog, .placed = false, .filter = filter};
}

// The keyboard order: List3, List4, of1, of2, Command1, Command3, List1,
// List2, Text1, Text2. List1 keeps its place but takes no focus, so Tab
// never lands on a list nobody can see.
constexpr Control kForm1Controls[] = {
    {.name = "Label1",
     .rect = {0, 0, 4215, 375},
     .font = kMsSansSerifLarge,
     .fore = kRed,
     .align = Align::Centre},
    {.name = "Image1",
     .kind = ControlKind::Picture,
     .rect = {4275, 60, 1335, 975},
     .font = kMsSansSerif,
     .picture = Picture::Logo,
     .pointer = Pointer::Help},
    listBox("List3", {0, 360, 2055, 2010}, "  Coincidences in Mainbase.dat  ", 0),
    listBox("List4", {2040, 360, 2175, 2010}, "  Coincidences in file for comparing  ", 1),
    pushButton("Command1", {4275, 1080, 1365, 1095}, "   Compare          &&       Delete",
               "  Compare & Delete dupes records  ", kMsSansSerifLarge, 4),
    withPicture(pushButton("Command3", {4275, 2160, 1365, 1050}, "Exit", "  Close program  ",
                           kMsSansSerifLarge, 5),
                Picture::ExitDoor),
    textBox("Text1", {0, 2400, 2055, 285}, 8, "of1"),
    textBox("Text2", {2040, 2400, 2175, 285}, 9, "of2"),
    pushButton("of1", {0, 2760, 2055, 450}, "Select Mainbase.dat",
               "  Select Dalvorn  Mainbase.dat file  ", kArialItalic, 2),
    pushButton("of2", {2040, 2760, 2175, 450}, "Select file for comparing",
               "  Select file for comparing  ", kArialItalic, 3),
    {.name = "Label2",
     .rect = {120, 3270, 2790, 240},
     .text = "File without dupes records:",
     .font = kMsSansSerifLarge,
     .fore = kDarkBlue},
    headedBy(listBox("List2", {0, 3600, 5655, 1230}, "  File view without dupes records  ", 7),
             "Label2"),
    listBox("List1", {-2000, 1320, 615, 255}, "", 6, false),
    openFileDialog("CD1", "MainBase.dat|MainBase.dat"),
    openFileDialog("CD", "RDA files|*.rda|"),
};

constexpr Control aboutLabel(std::string_view name, int index, Rect rect, std::string_view text,
                             Link onClick) {
  return {.name = name,
          .index = index,
          .rect = rect,
          .text = text,
          .font = kMsSansSerif,
          .fore = kButtonText,
          .back = kButtonFace,
          .onClick = onClick};
}

constexpr Control oneLine(Control label) {
  label.sizing = Sizing::FitText;
  return label;
}

// The e-mail and home-page addresses: dark blue, not underlined.
constexpr Control addressLink(Control label) {
  label.fore = kDarkBlue;
  label.readAsLink = true;
  return oneLine(label);
}

constexpr Control bold(Control label) {
  label.font = kMsSansSerifBold;
  return oneLine(label);
}

constexpr Control wrapped(Control label) {
  label.wordWrap = true;
  return label;
}

constexpr Control centred(Control label) {
  label.align = Align::Centre;
  return label;
}

// Label3 comes after Label2, so it lies over the foot of Label2's
// rectangle, below the last line of Label2's text.
constexpr Control kAboutControls[] = {
    {.name = "img1",
     .kind = ControlKind::Picture,
     .rect = {120, 120, 480, 480},
     .font = kMsSansSerif,
     .picture = Picture::HelpIcon},
    bold(aboutLabel("lblInf", 0, {720, 240, 3090, 195}, "VARNOK Dalvorn Sievra", Link::HomePage)),
    aboutLabel("Label1", -1, {120, 960, 495, 255}, "E-Mail:", Link::None),
    addressLink(aboutLabel("lblInf2", 2, {720, 960, 960, 195}, kEmail, Link::MailLink)),
    oneLine(aboutLabel("lblInf", 3, {120, 1200, 390, 195}, "Web:", Link::HomePage)),
    addressLink(aboutLabel("lblInf", 4, {720, 1200, 2385, 195}, kHomePage, Link::HomePage)),
    wrapped(aboutLabel("lblInf", 5, {120, 1560, 4215, 495},
                       "    This program compares and deletes dupes records   before importing "
                       "new databases to Dalvorn program.",
                       Link::HomePage)),
    wrapped(aboutLabel(
        "Label2", -1, {120, 2040, 4215, 1335},
        "     The program detects dupes records with two coincidences (Callsign and RDA "
        "Number). The field Notes may be different.  After clicking 'Compare && Delete' button "
        "it will be created backup of file for comparing. Coincidenced records with "
        "MainBase.dat will be deleted to file *.dup.",
        Link::None)),
    wrapped(aboutLabel("Label3", -1, {120, 3120, 4215, 615},
                       "     Now you can free import new databases in Dalvorn program.(The name "
                       "of the file for comparing without of dupes records will be same as it "
                       "was)",
                       Link::None)),
    oneLine(aboutLabel("lblInf", 1, {1125, 3840, 2205, 195}, kCopyright, Link::HomePage)),
    centred(aboutLabel("Label4", -1, {1560, 4080, 1215, 255}, "2003", Link::None)),
    {.name = "cmdOK",
     .kind = ControlKind::PushButton,
     .rect = {1493, 4320, 1455, 375},
     .text = "OK",
     .font = kMsSansSerif,
     .fore = kButtonText,
     .back = kButtonFace,
     .tabIndex = 0,
     .tabStop = true,
     .align = Align::Centre},
};

constexpr Window kForm1{.name = "Form1",
                        .title = "  VARNOK Dalvorn Sievra",
                        .clientWidth = 5670,
                        .clientHeight = 4860,
                        .frame = Frame::FixedSingle,
                        .minimizeButton = true,
                        .maximizeButton = false,
                        .taskbarButton = true,
                        .icon = Picture::AppIcon,
                        .font = kMsSansSerif,
                        .fore = kButtonText,
                        .back = kFormGreen,
                        .controls = kForm1Controls};

constexpr Window kAbout{.name = "frmAbout",
                        .title = "Help...",
                        .clientWidth = 4440,
                        .clientHeight = 4770,
                        .frame = Frame::FixedDialog,
                        .minimizeButton = false,
                        .maximizeButton = false,
                        .taskbarButton = false,
                        .icon = Picture::None,
                        .font = kMsSansSerif,
                        .fore = kButtonText,
                        .back = kButtonFace,
                        .controls = kAboutControls};

constexpr MenuItem kPopupItems[] = {
    {.name = "mnuHelp", .caption = "Help"},
    {.name = "sep1", .caption = "-", .separator = true},
    // The address is the caption as it is: no "&" in it to become an access key.
    {.name = "mnuweb", .caption = kHomePage},
};

constexpr Menu kPopup{.name = "mnupopup", .caption = "", .visible = false, .items = kPopupItems};

}  // namespace

std::string_view pictureFile(Picture picture) {
  switch (picture) {
    case Picture::None:
      return {};
    case Picture::AppIcon:
      return "sievra.ico";
    case Picture::Logo:
      return "logo.bmp";
    case Picture::ExitDoor:
      return "exit.gif";
    case Picture::HelpPointer:
      return "help_pointer.ico";
    case Picture::HelpIcon:
      return "help.ico";
  }
  return {};
}

const Control* Window::find(std::string_view controlName, int index) const {
  const auto found = std::find_if(controls.begin(), controls.end(), [&](const Control& c) {
    return c.name == controlName && c.index == index;
  });
  return found == controls.end() ? nullptr : &*found;
}

const Control& Window::control(std::string_view controlName, int index) const {
  if (const Control* found = find(controlName, index)) return *found;
  throw std::out_of_range(std::string(name) + " has no control " + std::string(controlName) +
                          (index < 0 ? std::string() : "(" + std::to_string(index) + ")"));
}

std::vector<const Control*> Window::tabOrder() const {
  std::vector<const Control*> order;
  for (const Control& c : controls) {
    if (c.tabStop && c.tabIndex >= 0) order.push_back(&c);
  }
  std::sort(order.begin(), order.end(),
            [](const Control* a, const Control* b) { return a->tabIndex < b->tabIndex; });
  return order;
}

const Window& form1Window() { return kForm1; }

const Window& aboutWindow() { return kAbout; }

const Menu& form1PopupMenu() { return kPopup; }

std::vector<FileFilter> parseFilter(std::string_view filter) {
  std::vector<FileFilter> entries;
  while (!filter.empty()) {
    const std::size_t bar = filter.find('|');
    if (bar == std::string_view::npos) break;  // a description without its pattern
    const std::string_view description = filter.substr(0, bar);
    filter.remove_prefix(bar + 1);
    const std::size_t end = std::min(filter.find('|'), filter.size());
    entries.push_back({description, filter.substr(0, end)});
    filter.remove_prefix(std::min(end + 1, filter.size()));
  }
  return entries;
}

namespace {

// Runs of spaces are one space; none at either end.
std::string foldSpaces(std::string_view text) {
  std::string folded;
  for (char c : text) {
    if (c == ' ' && (folded.empty() || folded.back() == ' ')) continue;
    folded.push_back(c);
  }
  if (!folded.empty() && folded.back() == ' ') folded.pop_back();
  return folded;
}

}  // namespace

std::string accessibleName(const Window& window, const Control& control) {
  if (!control.namedAfter.empty()) {
    std::string name = foldSpaces(shownText(window.control(control.namedAfter).text));
    // A heading's colon leads the eye to the list; read aloud it is noise.
    if (name.ends_with(':')) name.pop_back();
    // A picker's verb says what the button does, not what the box holds.
    constexpr std::string_view kVerb = "Select ";
    if (control.kind == ControlKind::TextBox && name.starts_with(kVerb)) {
      name.erase(0, kVerb.size());
    }
    return name;
  }
  if (control.kind == ControlKind::ListBox) return foldSpaces(control.tooltip);
  return foldSpaces(shownText(control.text));
}

std::string shownText(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      shown.push_back(text[i]);
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '&') {
      shown.push_back('&');
      ++i;
    }
  }
  return shown;
}

}  // namespace sv::design
