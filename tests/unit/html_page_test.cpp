#include <gtest/gtest.h>

#include "app/html_page.h"
#include "app/html_text.h"
#include "support/temp_folder.h"

namespace {

constexpr char kHostile[] = "a\"><img src=x onerror=alert(1)>.swf";

// The page as the installed template makes it for a name chosen to break
// out of the title and the movie's address.
TEST(HtmlPage, hostileMovieName_staysTextInTheTitleAndOneSegmentInTheAddress) {
  const std::string page = app::FillHtmlTemplate(
      testing_support::ReadFile(TALLOWCRAFT_SOURCE_DIR "/app/html/HTMLPageTemplate.html"), kHostile,
      kHostile, 640, 480);
  EXPECT_EQ(page.find("<img"), std::string::npos);
  EXPECT_NE(page.find("<title>a&quot;&gt;&lt;img src=x onerror=alert(1)&gt;.swf</title>"),
            std::string::npos);
  EXPECT_NE(page.find("src=\"a%22%3E%3Cimg%20src%3Dx%20onerror%3Dalert%281%29%3E.swf\""),
            std::string::npos);
  EXPECT_NE(page.find("width=\"640\" height=\"480\""), std::string::npos);
}

TEST(HtmlPage, eachPlaceholderIsEscapedForWhereItStands) {
  const std::string title = "x <b> & 'y' \"z\"";
  const std::string name = "Größe #1.swf";
  const struct {
    const char* text;
    const char* expected;
  } kCases[] = {
      {"<title><%HTMLPageTitle%></title>",
       "<title>x &lt;b&gt; &amp; &#39;y&#39; &quot;z&quot;</title>"},
      {"<p><%SWFFileName%></p>", "<p>Größe #1.swf</p>"},
      {"<p title='<%HTMLPageTitle%>'>", "<p title='x &lt;b&gt; &amp; &#39;y&#39; &quot;z&quot;'>"},
      {"<param name=\"movie\" value=\"<%SWFFileName%>\">",
       "<param name=\"movie\" value=\"Gr%C3%B6%C3%9Fe%20%231.swf\">"},
      {"<a href=\"<%HTMLPageTitle%>\">", "<a href=\"x%20%3Cb%3E%20%26%20%27y%27%20%22z%22\">"},
      {"<div onclick=\"go('<%HTMLPageTitle%>')\">",
       "<div onclick=\"go('x%20%3Cb%3E%20%26%20%27y%27%20%22z%22')\">"},
      {"<embed src=<%SWFFileName%> <%HTMLPageTitle%>>",
       "<embed src=Gr%C3%B6%C3%9Fe%20%231.swf x%20%3Cb%3E%20%26%20%27y%27%20%22z%22>"},
      {"<SCRIPT>t = \"<%HTMLPageTitle%>\";</script ><i><%HTMLPageTitle%></i>",
       "<SCRIPT>t = \"x%20%3Cb%3E%20%26%20%27y%27%20%22z%22\";</script ><i>x &lt;b&gt; &amp; "
       "&#39;y&#39; &quot;z&quot;</i>"},
      {"<style>p::after { content: \"<%SWFFileName%>\" }</style>",
       "<style>p::after { content: \"Gr%C3%B6%C3%9Fe%20%231.swf\" }</style>"},
      {"<!-- <%HTMLPageTitle%> --><b>", "<!-- x &lt;b&gt; &amp; &#39;y&#39; &quot;z&quot; --><b>"},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(app::FillHtmlTemplate(c.text, title, name, 1, 2), c.expected) << c.text;
}

TEST(HtmlText, segmentsRoundTripAndBrokenOnesAreRefused) {
  const std::string name = "Invoice #42 \"draft\" <&> Größe.swf";
  EXPECT_EQ(app::PercentEncodeSegment("a-b_c.d~e/%"), "a-b_c.d~e%2F%25");
  EXPECT_EQ(app::PercentDecodeSegment(app::PercentEncodeSegment(name)), name);
  for (const char* broken : {"a%2", "a%zz", "a%00b", "a%2Fb", "a/b"})
    EXPECT_FALSE(app::PercentDecodeSegment(broken)) << broken;
}

}  // namespace
