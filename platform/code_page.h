#pragma once
// The code page converter: MultiByteToWideChar and WideCharToMultiByte for the code pages
// 936 (GBK), 65001 (UTF-8) and 0 (the ANSI code page, which is GBK here), built on ICU.
//
// As on the platform: a count of -1 reads up to and including the terminating NUL (or zero unit)
// and converts it too; an output size of 0 asks only for the size the output needs; invalid input
// is replaced, never refused; a character the target lacks becomes its default character ("?" for
// GBK). When the output does not fit, the call writes the whole characters that fit and answers 0.

#include <cstdint>

constexpr unsigned CP_ACP = 0;
constexpr unsigned CP_GBK = 936;
constexpr unsigned CP_UTF8 = 65001;

// Composes a base character and the non-spacing marks after it into one precomposed character
// where such a character exists.
constexpr std::uint32_t WC_COMPOSITECHECK = 0x200;

// Answers the number of UTF-16 units written, or needed when wide_size is 0; 0 on failure.
int MultiByteToWideChar(unsigned code_page, std::uint32_t flags, const char* multi_byte,
                        int multi_byte_count, char16_t* wide, int wide_size);

// Answers the number of bytes written, or needed when multi_byte_size is 0; 0 on failure.
int WideCharToMultiByte(unsigned code_page, std::uint32_t flags, const char16_t* wide,
                        int wide_count, char* multi_byte, int multi_byte_size);
