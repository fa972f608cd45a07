#include "support/tree_fixture.h"

namespace lxtv::test {

std::string generatedCatalogue(int categories, int channels, const char* maximize) {
    std::string out = "[config]\r\n" + gbk("最大化") + "=" + maximize + "\r\n";
    const std::string category = gbk("频道分类");
    const std::string channel = gbk("频道");
    for (int c = 0; c < categories; ++c) {
        out += "[" + category + std::to_string(c) + "]\r\n";
        for (int k = 0; k < channels; ++k) {
            const int n = c * channels + k;
            const char kind = n % 7 == 6 ? '3' : n % 5 == 4 ? '2' : '1';
            out += channel + std::to_string(k) + "=" + kind + "|http://127.0.0.1:8168/play/" +
                   std::to_string(n) + ".html\r\n";
        }
    }
    return out;
}

}  // namespace lxtv::test
