// Large generated pages with the tag density of real sites.
#pragma once

#include <cstddef>
#include <string>

namespace orlen::bench {

// A page of about `bytes` bytes: a head with a title and a dozen meta tags,
// then a body of paragraphs, links, lists, tables, comments and scripts.
// With oneLine set the body has no line breaks at all.
std::string SyntheticPage(std::size_t bytes, bool oneLine = false);

} // namespace orlen::bench
