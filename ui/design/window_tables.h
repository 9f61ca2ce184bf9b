#pragma once

// The two windows as data: every control of Form1 and frmAbout with its
// kind, rectangle, texts, font, colours, picture, pointer and keyboard order,
// the windows' own frames, sizes and colours, and the logo's pop-up menu.
// The Qt and the Win32 windows are both built from these tables, so a
// rectangle or a caption is changed here once. The tables are constants with
// static storage; nothing here allocates except tabOrder().

#include "ui/design/geometry.h"
#include "ui/design/picture_ids.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sv::design {

inline constexpr int kRegularWeight = 400;
inline constexpr int kBoldWeight = 700;
// Cyrillic, for the Russian Notes of the records.
inline constexpr int kCyrillicCharset = 204;

// One row of a list box in the lists' font, 13 pixels at 96 dpi; the
// lists' heights hold whole rows plus their border.
inline constexpr int kListRowHeight = 195;  // twips

struct Font {
  std::string_view name{};
  double points = 8.25;
  int weight = kRegularWeight;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  int charset = kCyrillicCharset;

  constexpr bool bold() const { return weight >= kBoldWeight; }
  // The em height in pixels at dpi (for LOGFONT a negative lfHeight).
  int pixelHeight(int dpi = kBaseDpi) const { return pointsToPixels(points, dpi); }
  friend constexpr bool operator==(const Font&, const Font&) = default;
};

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

// The system colours the windows use; each toolkit maps them to its own.
enum class SystemColour { ButtonText, ButtonFace, WindowText, Window };

// A text or background colour: a fixed one, one of the system's, or none,
// so that the parent's background shows through.
struct Colour {
  enum class Kind { None, Fixed, System };

  Kind kind = Kind::None;
  Rgb rgb{};                                       // Kind::Fixed only
  SystemColour system = SystemColour::ButtonText;  // Kind::System only

  static constexpr Colour none() { return {}; }
  static constexpr Colour fixed(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return {Kind::Fixed, Rgb{r, g, b}, SystemColour::ButtonText};
  }
  static constexpr Colour ofSystem(SystemColour colour) { return {Kind::System, {}, colour}; }

  constexpr bool isNone() const { return kind == Kind::None; }
  constexpr bool isFixed() const { return kind == Kind::Fixed; }
  constexpr bool isSystem() const { return kind == Kind::System; }
  friend constexpr bool operator==(const Colour&, const Colour&) = default;
};

enum class ControlKind { Label, Picture, ListBox, PushButton, TextBox, OpenFileDialog };

enum class Align { Left, Centre };

// FitText: the label takes the size of its one line of text; the table's
// left and top hold, its width and height are only the starting size.
enum class Sizing { Fixed, FitText };

enum class Picture {
  None = 0,
  AppIcon = SV_PICTURE_APP_ICON,
  Logo = SV_PICTURE_LOGO,
  ExitDoor = SV_PICTURE_EXIT_DOOR,
  HelpPointer = SV_PICTURE_HELP_POINTER,
  HelpIcon = SV_PICTURE_HELP_ICON,
};

// The resource number (the Picture's value) and the file in resources/ (and
// the Qt resource ":/" + file).
constexpr int resourceId(Picture picture) { return static_cast<int>(picture); }
std::string_view pictureFile(Picture picture);  // empty for Picture::None

// Help: the question-mark pointer, the HelpPointer picture.
enum class Pointer { Default, Help };

// What a click on a label opens through the shell-open request (links.h).
enum class Link { None, HomePage, MailLink };

struct Control {
  std::string_view name{};
  // The element's index in a control array (lblInf, lblInf2); -1 for a
  // control of its own.
  int index = -1;
  ControlKind kind = ControlKind::Label;
  // In twips from the client area's top-left corner. An open-file dialog
  // control has no place on the screen: placed is false and rect is empty.
  Rect rect{};
  bool placed = true;
  // Spelt as classic toolkits take captions: a doubled ampersand shows as
  // one, and no control has an access key (see shownText()).
  std::string_view text{};
  std::string_view tooltip{};  // empty: none
  Font font{};
  Colour fore{};
  Colour back{};
  bool border = false;  // the platform's sunken border (lists and text boxes)
  Picture picture = Picture::None;
  Pointer pointer = Pointer::Default;
  // The place in the keyboard order (0 first); -1 for controls that take no
  // focus. tabStop false: the control has a place but Tab skips it.
  int tabIndex = -1;
  bool tabStop = false;
  bool visible = true;
  bool enabled = true;
  bool wordWrap = false;  // breaks its text into lines at spaces
  Align align = Align::Left;
  Sizing sizing = Sizing::Fixed;
  Link onClick = Link::None;
  // Read as a link by assistive technology: the two addresses. The other
  // labels that open a link on a click read as the text they are.
  bool readAsLink = false;
  // An open-file dialog control's filter: description|pattern pairs (see
  // parseFilter()).
  std::string_view filter{};
  // The control whose words name this one for assistive technology: a
  // list's heading, or the picker whose choice a text box echoes. Empty:
  // the control's own words name it (see accessibleName()).
  std::string_view namedAfter{};
};

enum class Frame {
  FixedSingle,  // Form1: not resizable, icon, minimise and close box, no maximise
  FixedDialog,  // frmAbout: not resizable, close box only, no icon
};

struct Window {
  std::string_view name{};
  std::string_view title{};
  int clientWidth = 0;  // twips
  int clientHeight = 0;
  Frame frame = Frame::FixedSingle;
  bool minimizeButton = false;
  bool maximizeButton = false;
  bool taskbarButton = false;
  Picture icon = Picture::None;
  // The font and text colour of controls that name none of their own.
  Font font{};
  Colour fore{};
  Colour back{};
  // In the order they are created: a later control lies over an earlier one.
  std::span<const Control> controls{};

  // Null when there is no such control.
  const Control* find(std::string_view controlName, int index = -1) const;
  // The control; a name that is not in the table is a programmer's error
  // and throws std::out_of_range.
  const Control& control(std::string_view controlName, int index = -1) const;
  // The controls Tab moves through, in order: tabStop set, by tabIndex.
  std::vector<const Control*> tabOrder() const;
};

const Window& form1Window();
const Window& aboutWindow();

struct MenuItem {
  std::string_view name{};
  std::string_view caption{};
  bool separator = false;  // drawn as a line, cannot be chosen
};

// Form1's pop-up menu: a hidden top-level entry (so the window has no menu
// bar) whose items are shown only as a pop-up menu over the logo.
struct Menu {
  std::string_view name{};
  std::string_view caption{};
  bool visible = false;
  std::span<const MenuItem> items{};
};

const Menu& form1PopupMenu();

// One file-type entry of an open-file dialog's filter.
struct FileFilter {
  std::string_view description{};
  std::string_view pattern{};
  friend constexpr bool operator==(const FileFilter&, const FileFilter&) = default;
};

// "RDA files|*.rda|" gives one entry: the separator that ends the list adds
// none. A description without its pattern is dropped.
std::vector<FileFilter> parseFilter(std::string_view filter);

// What assistive technology calls a control: the words a sighted user reads
// for it, spaces folded. A button or label by its caption, a list by its
// tooltip or heading, a text box by the picker it echoes (without the verb:
// "Mainbase.dat"). Empty for a control with nothing to read; a label whose
// text a run sets (Form1's Label1) is named by its text at the time.
std::string accessibleName(const Window& window, const Control& control);

// A caption as the reader sees it: "&&" is one "&". A single "&" would only
// underline the next letter as an access key, and is dropped.
std::string shownText(std::string_view text);

}  // namespace sv::design
