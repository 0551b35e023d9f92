#pragma once
// Simple scanners over a page's HTML source (CP932 bytes, or UTF-8 where
// the encoding says so): the title, and the anchors one by one. They cut the text at "<" and ">" and recognise tags by
// fixed prefixes; they are not an HTML parser, and malformed HTML only gives
// odd or empty values.
#include <string>
#include <string_view>

#include "web/scan_views.h"

namespace morvane {

// Text of the first title tag, spaces around it removed; empty without one.
// Entities are not decoded.
std::string ExtractTitle(std::string_view html, TextEncoding e = TextEncoding::kCp932);

// Consumes html up to and including the next tag. When that tag is an anchor
// with an href, reads the href (entities decoded) and the link text up to the
// anchor's closing tag, inner tags dropped. False when no tag is left.
bool NextAnchor(std::string_view& html, std::string& href, std::string& text, TextEncoding e = TextEncoding::kCp932);

// The next anchor that has both an href and a text (trimmed of spaces and of
// CR LF pairs at its ends). False at the end of the page.
bool NextLink(std::string_view& html, std::string& href, std::string& text, TextEncoding e = TextEncoding::kCp932);

// Decodes &lt; &gt; &nbsp; (also without ";") and &amp;, in any letter case;
// &amp; last, so &amp;lt; becomes &lt; and stays so.
std::string DecodeEntities(std::string_view text);

// Appends text with & < > escaped, and " ' too when quotesToo (for
// attribute values), so nothing in it can add markup to a page.
void AppendHTMLEscaped(std::string& out, std::string_view text, bool quotesToo);

}  // namespace morvane
