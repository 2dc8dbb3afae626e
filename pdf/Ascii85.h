#pragma once
// ASCII base-85 encoding as the ASCII85Decode filter reads it: groups of four
// bytes become five characters '!'..'u', an all-zero group becomes "z", a
// final partial group of n bytes gives n + 1 characters, and "~>" ends the
// data. No line breaks are inserted.
#include "pdf/PdfCompress.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pdf {

// Encodes one group of count (1..4) bytes into out and returns the number of
// characters written: 1 for a full zero group ("z"), 5 for another full
// group, count + 1 for a partial one.
int Ascii85EncodeGroup(const std::uint8_t* group, int count, char* out);

// Upper bound of the encoded length of size input bytes, end marker included.
std::size_t Ascii85MaxLength(std::size_t size);

// Appends the encoding of the bytes, "~>" included, to out.
void Ascii85Encode(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out);
std::string Ascii85Encode(const std::uint8_t* data, std::size_t size);

// Encodes the whole of src (from its start, whatever its position) into dst
// at dst's position.
void Ascii85EncodeStream(const TMemoryStream& src, TStream& dst);

} // namespace pdf
