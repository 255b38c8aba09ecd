#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <filesystem>

#include "app/html_page.h"
#include "presentation/navigation_templates.h"
#include "presentation/presentation.h"
#include "presentation/qt/swf_options_dialog.h"
#include "presentation/swf_bits.h"
#include "presentation/swf_options.h"
#include "presentation/swf_tags.h"
#include "support/emf_builder.h"
#include "support/hive_fixture.h"
#include "support/temp_folder.h"

namespace {

using platform::RegValue;

constexpr const char* kKey = "Software\\Quillmark\\Tallowcraft\\SWFFormatOptions";

TEST(SwfOptions, storedValues_roundTripAndWrongTypesAreNamedOrReadAsDefaults) {
  using presentation::WrongType;
  testing_support::MemoryRegistry store;
  const presentation::SwfOptions changed{300, 40, false, false};
  presentation::SaveSwfOptions(store, kKey, changed);
  EXPECT_EQ(presentation::LoadSwfOptions(store, kKey, WrongType::kRaise), changed);

  store.Set(kKey, "Resolution", RegValue::Dword(5000));  // out of range: the default
  EXPECT_EQ(presentation::LoadSwfOptions(store, kKey, WrongType::kRaise).resolution, 96);
  store.Set(kKey, "ImageQuality", RegValue::String("40"));
  const auto loaded = presentation::LoadSwfOptions(store, kKey, WrongType::kDefault);
  EXPECT_EQ(loaded.imageQuality, 90);
  EXPECT_FALSE(loaded.losslessSlides);
  try {
    presentation::LoadSwfOptions(store, kKey, WrongType::kRaise);
    ADD_FAILURE() << "a string was read as a number";
  } catch (const platform::RegistryError& error) {
    EXPECT_EQ(std::string(error.what()),
              std::string("settings value \"ImageQuality\" in HKEY_CURRENT_USER\\") + kKey +
                  " has the wrong type: string where a 32-bit number (dword:) is expected");
  }
}

// The dialog starts from the defaults of wrong-typed values and, confirmed,
// stores them with the right type; without it the movie is refused.
TEST(SwfOptions, wrongTypes_stopTheMovieButNotTheDialog) {
  testing_support::TempFolder folder;
  emfbuild::EmfBuilder(40, 30).writeFile(folder.file("page.emf"));
  testing_support::MemoryRegistry store;
  store.Set(kKey, "Resolution", RegValue::String("150"));
  store.Set(kKey, "LosslessSlides", RegValue::Qword(0));
  presentation::TPresentation component(&store);
  component.Options().SetUseRegistry(true);
  component.Options().SetRegistryKey(kKey);
  component.AddSlideFromFileName(folder.file("page.emf"), 0);
  std::string name = folder.file("movie.swf");
  EXPECT_THROW(component.SaveToFile(name), platform::RegistryError);
  EXPECT_FALSE(std::filesystem::exists(name));

  presentation::SwfOptions shown;
  component.SetOptionsDialog([&shown](presentation::SwfOptions& options) {
    shown = options;
    return true;
  });
  ASSERT_TRUE(component.ShowOptionsDialog(0));
  EXPECT_EQ(shown, presentation::SwfOptions{});
  EXPECT_EQ(store.ReadValue(kKey, "Resolution"), RegValue::Dword(96));
  EXPECT_EQ(store.ReadValue(kKey, "LosslessSlides"), RegValue::Dword(1));
  component.SaveToFile(name);
  EXPECT_EQ(testing_support::ReadFile(name).substr(0, 3), "FWS");
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
