#pragma once

// Stable, readable GoogleTest names for cases given by their text: the case's number and its
// text with each character that may not stand in a name spelled out ("12,5" → "c1_12comma5").

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <type_traits>

namespace dalko::test {

inline std::string nameOfText(std::size_t index, const std::string &text)
{
    std::string name = "c" + std::to_string(index) + "_";
    for (const unsigned char c : text) {
        if (std::isalnum(c) && c < 0x80)
            name += char(c);
        else if (c == ',')
            name += "comma";
        else if (c == '.')
            name += "point";
        else if (c == '-')
            name += "minus";
        else if (c == '+')
            name += "plus";
        else if (c == ' ')
            name += "space";
        else if (c == '\t')
            name += "tab";
        else
            name += "x" + std::to_string(c);
    }
    return name;
}

// A name generator for INSTANTIATE_TEST_SUITE_P over texts, or cases with a `text` or an
// `expected` text.
struct TextCaseName {
    template <typename Case>
    std::string operator()(const ::testing::TestParamInfo<Case> &info) const
    {
        if constexpr (std::is_convertible_v<Case, const char *>)
            return nameOfText(info.index, info.param);
        else if constexpr (requires { info.param.text; })
            return nameOfText(info.index, info.param.text);
        else
            return nameOfText(info.index, info.param.expected);
    }
};

} // namespace dalko::test
