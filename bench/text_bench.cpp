// Costs of the text operations that handle whole pages and header blocks, each beside a
// plain std::string_view loop doing the same work on the same input. Both must grow
// linearly with the input; the ratio between them is the price of the character-wise walk
// over code-page-936 text.
#include <benchmark/benchmark.h>

#include <iconv.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/globals.h"
#include "text/codepage.h"
#include "text/text.h"

namespace {

// One line of a lookup page in code page 936: IP：1.2.3.4，地区：广东省深圳市 电信
const std::string kLine936 =
    "IP\xA3\xBA" "1.2.3.4\xA3\xAC\xB5\xD8\xC7\xF8\xA3\xBA\xB9\xE3\xB6\xAB\xCA\xA1\xC9\xEE\xDB\xDA"
    "\xCA\xD0 \xB5\xE7\xD0\xC5,a=1,b=2\r\n";
// The same line in UTF-8.
const std::string kLineUtf8 =
    "IP\xEF\xBC\x9A" "1.2.3.4\xEF\xBC\x8C\xE5\x9C\xB0\xE5\x8C\xBA\xEF\xBC\x9A\xE5\xB9\xBF\xE4\xB8"
    "\x9C\xE7\x9C\x81\xE6\xB7\xB1\xE5\x9C\xB3\xE5\xB8\x82 \xE7\x94\xB5\xE4\xBF\xA1,a=1,b=2\r\n";

std::string Fill(const std::string& line, std::size_t size) {
  std::string s;
  s.reserve(size + line.size());
  while (s.size() < size) s += line;
  s.resize(size);
  return s;
}

// A page of about n bytes whose only "END" is at its very end.
std::string PageWithEnd(std::size_t n) { return Fill(kLine936, n - 3) + "END"; }

void Finish(benchmark::State& state, std::size_t n) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(n));
  state.SetComplexityN(static_cast<std::int64_t>(n));
}

void BM_FindText(benchmark::State& state) {
  const Text page = PageWithEnd(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(FindText(page, "END"));
  Finish(state, page.Bytes().size());
}

void BM_FindBaseline(benchmark::State& state) {
  const std::string page = PageWithEnd(static_cast<std::size_t>(state.range(0)));
  const std::string_view view = page;
  for (auto _ : state) benchmark::DoNotOptimize(view.find("END"));
  Finish(state, page.size());
}

void BM_SplitText(benchmark::State& state) {
  const Text page = Fill(kLine936, static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(SplitText(page, ","));
  Finish(state, page.Bytes().size());
}

void BM_SplitBaseline(benchmark::State& state) {
  const std::string page = Fill(kLine936, static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::vector<std::string> pieces;
    std::string_view rest = page;
    for (std::size_t p; (p = rest.find(',')) != std::string_view::npos; rest.remove_prefix(p + 1)) {
      pieces.emplace_back(rest.substr(0, p));
    }
    if (!rest.empty()) pieces.emplace_back(rest);
    benchmark::DoNotOptimize(pieces);
  }
  Finish(state, page.size());
}

// The full-width comma for every ASCII one.
void BM_ReplaceText(benchmark::State& state) {
  const Text page = Fill(kLine936, static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(ReplaceText(page, ",", "\xA3\xAC"));
  Finish(state, page.Bytes().size());
}

void BM_ReplaceBaseline(benchmark::State& state) {
  const std::string page = Fill(kLine936, static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::string out;
    out.reserve(page.size());
    std::string_view rest = page;
    for (std::size_t p; (p = rest.find(',')) != std::string_view::npos; rest.remove_prefix(p + 1)) {
      out.append(rest.substr(0, p));
      out.append("\xA3\xAC");
    }
    out.append(rest);
    benchmark::DoNotOptimize(out);
  }
  Finish(state, page.size());
}

std::string Padded(std::size_t n) { return "  \xA1\xA1" + Fill(kLine936, n - 8) + " \xA1\xA1 "; }

void BM_TrimText(benchmark::State& state) {
  const Text page = Padded(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(TrimText(page));
  Finish(state, page.Bytes().size());
}

// Trims the same two kinds of space from both ends and copies the rest.
void BM_TrimBaseline(benchmark::State& state) {
  const std::string page = Padded(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::string_view v = page;
    for (bool cut = true; cut;) {
      cut = false;
      if (v.starts_with(' ')) v.remove_prefix(1), cut = true;
      if (v.starts_with("\xA1\xA1")) v.remove_prefix(2), cut = true;
    }
    for (bool cut = true; cut;) {
      cut = false;
      if (v.ends_with(' ')) v.remove_suffix(1), cut = true;
      if (v.ends_with("\xA1\xA1")) v.remove_suffix(2), cut = true;
    }
    benchmark::DoNotOptimize(std::string(v));
  }
  Finish(state, page.size());
}

void BM_Utf8ToText(benchmark::State& state) {
  ProcessCodePage = 936;
  const ByteString page(Fill(kLineUtf8, static_cast<std::size_t>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(Utf8ToText(page));
  Finish(state, page.Bytes().size());
}

// One direct UTF-8 to code page 936 pass of iconv over the page.
void BM_Utf8Baseline(benchmark::State& state) {
  const std::string page = Fill(kLineUtf8, static_cast<std::size_t>(state.range(0)));
  iconv_t cd = iconv_open("CP936", "UTF-8");
  for (auto _ : state) {
    std::string out(page.size(), '\0');
    char* in = const_cast<char*>(page.data());
    std::size_t inLeft = page.size();
    char* dst = out.data();
    std::size_t room = out.size();
    iconv(cd, &in, &inLeft, &dst, &room);
    out.resize(out.size() - room);
    benchmark::DoNotOptimize(out);
  }
  iconv_close(cd);
  Finish(state, page.size());
}


}  // namespace

#define DS_SIZES(fn) BENCHMARK(fn)->Arg(1 << 10)->Arg(1 << 16)->Arg(1 << 20)->Complexity(benchmark::oN)
DS_SIZES(BM_FindText);
DS_SIZES(BM_FindBaseline);
DS_SIZES(BM_SplitText);
DS_SIZES(BM_SplitBaseline);
DS_SIZES(BM_ReplaceText);
DS_SIZES(BM_ReplaceBaseline);
DS_SIZES(BM_TrimText);
DS_SIZES(BM_TrimBaseline);
DS_SIZES(BM_Utf8ToText);
DS_SIZES(BM_Utf8Baseline);

BENCHMARK_MAIN();
