// Reading PDF files back in tests through poppler's command-line tools: page count, page
// sizes, text and word boxes.
#pragma once

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

namespace pdfprobe {

inline std::string RunCommand(const std::string& command)
{
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p)
    return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0)
    out.append(buf, n);
  pclose(p);
  return out;
}

// The number of pages; -1 when the file is not a PDF poppler can read.
inline int PageCount(const std::string& file)
{
  std::string info = RunCommand("pdfinfo '" + file + "' 2>/dev/null");
  size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

// Each page's size in points (rounded), "WxH".
inline std::vector<std::string> PageSizes(const std::string& file)
{
  std::vector<std::string> sizes;
  std::string info = RunCommand("pdfinfo -f 1 -l 10000 '" + file + "' 2>/dev/null");
  size_t start = 0;
  while (start < info.size()) {
    size_t end = info.find('\n', start);
    if (end == std::string::npos)
      end = info.size();
    int n = 0;
    double w = 0, h = 0;
    if (std::sscanf(info.substr(start, end - start).c_str(), "Page %d size: %lf x %lf", &n, &w,
                    &h) == 3)
      sizes.push_back(std::to_string(static_cast<int>(w + 0.5)) + "x" +
                      std::to_string(static_cast<int>(h + 0.5)));
    start = end + 1;
  }
  return sizes;
}

// The text of the pages (UTF-8), each page ended by a form feed.
inline std::string Text(const std::string& file)
{
  return RunCommand("pdftotext -layout '" + file + "' - 2>/dev/null");
}

// The number before "/" of each page's "page/pages" footer in a PDF's text, in page order
// (pages without such a footer give nothing).
inline std::vector<std::string> FooterNumbers(const std::string& file)
{
  std::vector<std::string> result;
  const std::string text = Text(file);
  const std::regex footer("(\\d+)/\\d+");
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\f', start);
    if (end == std::string::npos)
      end = text.size();
    std::smatch m;
    const std::string page = text.substr(start, end - start);
    if (std::regex_search(page, m, footer))
      result.push_back(m[1]);
    start = end + 1;
  }
  return result;
}

} // namespace pdfprobe

namespace pdfprobe {

// A word pdftotext found, with its box in points from the page's top left.
struct TWord {
  std::string Text;
  double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
};

// Every word of the first page, in reading order.
inline std::vector<TWord> Words(const std::string& file)
{
  std::vector<TWord> words;
  const std::string html = RunCommand("pdftotext -bbox -f 1 -l 1 '" + file + "' - 2>/dev/null");
  size_t at = 0;
  while ((at = html.find("<word ", at)) != std::string::npos) {
    const size_t close = html.find('>', at);
    const size_t end = html.find("</word>", close);
    if (close == std::string::npos || end == std::string::npos)
      break;
    TWord w;
    std::sscanf(html.substr(at, close - at).c_str(),
                "<word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\"", &w.XMin, &w.YMin,
                &w.XMax, &w.YMax);
    w.Text = html.substr(close + 1, end - close - 1);
    words.push_back(w);
    at = end;
  }
  return words;
}

// The number of pictures the file holds; -1 when poppler cannot read it.
inline int ImageCount(const std::string& file)
{
  const std::string list = RunCommand("pdfimages -list '" + file + "' 2>/dev/null");
  if (list.empty())
    return -1;
  int lines = 0;
  for (char c : list)
    lines += c == '\n';
  return lines - 2; // two heading lines
}

} // namespace pdfprobe
