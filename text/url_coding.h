#pragma once
// Percent coding of addresses, byte by byte. The plus sign has no meaning here: it is encoded
// like any other byte and decoded as itself. A Text ends at its first NUL; what follows it is not
// read.

#include "text/types.h"

// Every byte becomes "%" and two upper-case hexadecimal digits, except, with `keep_plain`, the
// hyphen, the full stop, the digits and the ASCII letters, which stay as they are. With
// `as_utf8` the GBK `text` is encoded in its UTF-8 form.
Text url_encode(const Text& text, bool keep_plain = false, bool as_utf8 = false);

// Every "%" takes the two bytes after it as hexadecimal digits, whatever they are (see the
// definition for the value of a byte that is not a digit, and of a missing one); a decoded zero
// byte is dropped. With `from_utf8` the decoded bytes are read as UTF-8 and given in GBK.
Text url_decode(const Text& text, bool from_utf8 = false);
