#pragma once

#include <QString>

namespace app {

// The product name: every page's caption.
inline QString ProductName() { return QStringLiteral("Tablewright"); }

// The title of every message box that has no title of its own. The product
// name has no space to cut the application title at, so it is the name whole.
inline QString ApplicationTitle() { return ProductName(); }

// Where users send the screenshot that the error report asks for.
inline QString SupportAddress() { return QStringLiteral("support@kestrafel.com"); }

}  // namespace app
