#pragma once

namespace pages {

// The wizard's pages. The wizard's page table (wizard/wizard.cpp) says in
// which order they come and how each is made.
enum class PageKind { Login, Table, Fields, Output };

}  // namespace pages
