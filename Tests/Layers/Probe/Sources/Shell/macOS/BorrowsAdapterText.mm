// The shell's native seam borrowing a helper of the port adapters beside it: the layering check
// must refuse it.
#include "macOS/MacText.hpp"
