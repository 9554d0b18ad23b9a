// The colours of the host's model as the printer draws them.
#ifndef TARQUEL_PRINT_COLORS_H_
#define TARQUEL_PRINT_COLORS_H_

#include "host/cell_format.h"
#include "print/painter.h"

namespace tarquel::print {

// `color` as RGB: a palette index from the host's 56-colour palette (and the system colours 64
// and 65), an ARGB value as it is, a theme colour from the default office theme, each with its
// tint; `automatic` for an automatic colour or an index the palette does not have.
Rgb ToRgb(const host::Color& color, const Rgb& automatic);

// A colour as black and white printing shows it: white stays white, everything else is black.
Rgb BlackAndWhite(const Rgb& color);

}  // namespace tarquel::print

#endif  // TARQUEL_PRINT_COLORS_H_
