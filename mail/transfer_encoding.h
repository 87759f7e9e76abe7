// The two content transfer encodings of mail (base64 and quoted-printable), decoded the one way
// every mail reader here needs: leniently, because mailers emit missing padding, stray characters
// and malformed escapes, and a message is shown rather than refused.
//
// Contract: the results are bytes in the message's own charset (the caller converts them); nothing
// here throws, allocates beyond the output, or reads past the input.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace skimmer::mail {

// The value of one hexadecimal digit (either case), or -1.
int hexDigitValue(char c);

// Base64: characters outside the alphabet (line breaks, blanks, stray bytes) are skipped; decoding
// ends at the first "=" (padding); a final group of two or three characters gives its one or two bytes.
std::string decodeBase64(std::string_view text);

// Base64 that must be exactly that (an encoded word's text): only the alphabet, then at most two
// "=" that pad the text to a multiple of four (missing padding is forgiven, as mailers drop it);
// none for anything else, which a reader shows as written rather than as garbage bytes.
std::optional<std::string> decodeBase64Exact(std::string_view text);

// Quoted-printable: "=XX" is a byte; "=" before optional blanks and a line end (or at the very end)
// joins the line to the next; any other "=" stays as it is.
std::string decodeQuotedPrintable(std::string_view text);

}  // namespace skimmer::mail
