#pragma once

namespace pages {

// The wizard's pages. The wizard's page table (wizard/wizard.cpp) says how
// each is made and which pages come before and after it.
enum class PageKind { Login, Table, Fields, Output };

}  // namespace pages
