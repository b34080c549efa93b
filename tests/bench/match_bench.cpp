// Address matching runs for every candidate address of every sample: it should cost about
// what comparing the address with another string of its length costs.
// Prints: BENCH <name> <value> <unit> goal <op> <goal>, then details.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "watch/address_match.h"

#include "tests/bench/alternating_best.h"

namespace {

// Keeps the optimiser from dropping work whose result is otherwise unused.
volatile int g_sink;

// The floor: a plain comparison of two NUL-terminated strings, as wcscmp does it.
int __attribute__((noinline)) PlainCompare(const char16_t* a, const char16_t* b) {
    while (*a != u'\0' && *a == *b) {
        ++a, ++b;
    }
    return static_cast<int>(*a) - static_cast<int>(*b);
}

std::u16string MakeAddress(const std::u16string& prefix, const std::u16string& unit) {
    std::u16string s = prefix;
    while (s.size() + unit.size() <= 2000)
        s += unit;
    s.resize(2000, u'a');
    return s;
}

}  // namespace

int main() {
    struct Shape {
        const char* name;
        std::u16string address;
    };
    const std::u16string article = u"https://ja.wikipedia.org/wiki/";
    std::vector<Shape> shapes = {
        {"article_percent_encoded", MakeAddress(article, u"%E7%8C%AB")},
        {"article_ascii", MakeAddress(article, u"Foo_bar_")},
        {"article_japanese", MakeAddress(article, u"日本語の記事")},
        {"other_site", MakeAddress(u"https://example.com/", u"abcdefgh")},
    };
    CurrentArticle current;
    double worst = 0;
    std::string details;
    for (const Shape& shape : shapes) {
        const std::u16string copy = shape.address;
        auto [match, compare] = BestMicroseconds(
            40, 1000, [&] { g_sink = MatchWatchedAddress(shape.address.c_str(), current); },
            [&] { g_sink = PlainCompare(shape.address.c_str(), copy.c_str()); });
        char line[160];
        std::snprintf(line, sizeof line, "  %-26s match %8.0f ns  compare %8.0f ns  ratio %.2f\n",
                      shape.name, match * 1000, compare * 1000, match / compare);
        details += line;
        worst = std::max(worst, match / compare);
    }
    std::printf("BENCH match_vs_compare %.2f ratio goal <= 3\n", worst);
    std::printf("  2,000-character addresses; the figure is the worst shape's ratio:\n%s",
                details.c_str());
    return 0;
}
