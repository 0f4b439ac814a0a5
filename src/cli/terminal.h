// Whether a stream is a terminal, where lines may overwrite themselves.
#pragma once

namespace ktv31::cli {

bool StandardErrorIsTerminal();

} // namespace ktv31::cli
