#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include "app/html_page.h"
#include "presentation/navigation_templates.h"
#include "presentation/qt/swf_options_dialog.h"
#include "presentation/swf_bits.h"
#include "presentation/swf_options.h"
#include "presentation/swf_tags.h"
#include "support/hive_fixture.h"
#include "support/temp_folder.h"

namespace {

using platform::RegValue;

constexpr const char* kKey = "Software\\Quillmark\\Tallowcraft\\SWFFormatOptions";

TEST(SwfOptions, storedValues_roundTripAndBadOnesKeepTheDefault) {
  testing_support::MemoryRegistry store;
  const presentation::SwfOptions changed{300, 40, false, false};
  presentation::SaveSwfOptions(store, kKey, changed);
  EXPECT_EQ(presentation::LoadSwfOptions(store, kKey), changed);

  store.Set(kKey, "Resolution", RegValue::Dword(5000));
  store.Set(kKey, "ImageQuality", RegValue::String("40"));
  const auto loaded = presentation::LoadSwfOptions(store, kKey);
  EXPECT_EQ(loaded.resolution, 96);
  EXPECT_EQ(loaded.imageQuality, 90);
  EXPECT_FALSE(loaded.losslessSlides);
}

TEST(SwfOptionsDialog, returnAccepts) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "tests";
  char* argv[] = {name, nullptr};
  QApplication application(argc, argv);
  presentation::SwfOptions options;
  options.resolution = 150;
  presentation::SwfOptionsDialog dialog(options);
  QTimer::singleShot(0, &dialog, [&dialog] {
    QWidget* target = dialog.focusWidget() != nullptr ? dialog.focusWidget() : &dialog;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
  });
  EXPECT_EQ(dialog.exec(), QDialog::Accepted);
  EXPECT_EQ(options.resolution, 150);
}

TEST(HtmlPage, placeholders_areReplacedInOrderAndCaseSensitively) {
  EXPECT_EQ(
      app::FillHtmlTemplate("<%SWFFileName%> <%SWFFileName%> <%swffilename%>", "", "m.swf", 1, 2),
      "m.swf m.swf <%swffilename%>");
  EXPECT_EQ(app::FillHtmlTemplate("<%HTMLPageTitle%>|<%SWFWidth%>x<%SWFHeight%>",
                                  "see <%SWFFileName%>", "m.swf", 794, 1123),
            "see &lt;%SWFFileName%&gt;|794x1123");
}

}  // namespace

namespace {

TEST(NavigationTemplates, installedButtons_loadWithTransparentCornersAndBrokenOnesAreSkipped) {
  const std::string installed =
      std::string(TALLOWCRAFT_BIN).substr(0, std::string(TALLOWCRAFT_BIN).rfind('/')) +
      "/swfbuttons";
  const auto buttons = presentation::LoadNavigationTemplates(installed);
  ASSERT_EQ(buttons.size(), 4u);
  EXPECT_EQ(buttons[1].role, presentation::NavigationRole::kPrevious);
  for (const auto& button : buttons) {
    ASSERT_EQ(button.argb.size(), size_t(button.width) * button.height * 4);
    EXPECT_EQ(button.argb[0], '\0');  // corner: transparent
    const size_t middle = (size_t(button.height / 2) * button.width + button.width / 2) * 4;
    EXPECT_EQ(button.argb[middle], '\xFF');
  }

  testing_support::TempFolder folder;
  testing_support::WriteFile(folder.file("next.bmp"), "BM broken");
  EXPECT_TRUE(presentation::LoadNavigationTemplates(folder.path()).empty());
}

}  // namespace

namespace {

std::string Hex(const std::string& bytes) {
  std::string out;
  char buffer[4];
  for (const unsigned char c : bytes) {
    std::snprintf(buffer, sizeof buffer, "%02X ", c);
    out += buffer;
  }
  return out;
}

TEST(SwfBits, fieldsAndTagHeaders_matchTheFormat) {
  presentation::SwfBits stage;
  stage.Rect(0, 550 * 20, 0, 400 * 20);  // Flash's default stage: a well-known header
  EXPECT_EQ(Hex(stage.Take()), "78 00 05 5F 00 00 0F A0 00 ");
  presentation::SwfBits identity;
  identity.Matrix(1, 1, 0, 0);
  EXPECT_EQ(Hex(identity.Take()), "00 ");
  EXPECT_EQ(Hex(presentation::SwfTagBytes(presentation::kShowFrame, {})), "40 00 ");
  EXPECT_EQ(
      Hex(presentation::SwfTagBytes(presentation::kDoAction, std::string(63, 'a')).substr(0, 6)),
      "3F 03 3F 00 00 00 ");
}

}  // namespace
