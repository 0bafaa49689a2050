#pragma once

// The translated messages, made from po/*.po when the program is built.

#include <cstddef>

struct translation {
    const char *locale;  // the catalogue's name, such as "zh_CN"
    const char *english; // the message as the program writes it in English
    const char *text;    // the same in the catalogue's language, in UTF-8
};

extern const translation translations[];
extern const std::size_t translationcount;
