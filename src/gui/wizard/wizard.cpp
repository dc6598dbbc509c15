#include "wizard/wizard.h"

#include <iterator>
#include <stdexcept>

#include "app/app_info.h"
#include "pages/fields/form3.h"
#include "pages/keyboard.h"
#include "pages/login/form1.h"
#include "pages/output/form4.h"
#include "pages/table/form2.h"

namespace wizard {
namespace {

using pages::PageKind;

// One page of the wizard: its kind and how it is made. Its place in the
// table is its place in the wizard: the entries before and after it are the
// pages "< Back" and "Next >" go to.
struct PageEntry {
    PageKind kind;
    std::unique_ptr<pages::WizardPage> (*make)(Wizard&);
};

template <typename Page>
constexpr PageEntry Entry() {
    return {Page::kKind,
            [](Wizard& wizard) -> std::unique_ptr<pages::WizardPage> { return std::make_unique<Page>(wizard); }};
}

// The wizard's pages in order; the first is shown at start.
constexpr PageEntry kPageTable[] = {
    Entry<pages::Form1>(),
    Entry<pages::Form2>(),
    Entry<pages::Form3>(),
    Entry<pages::Form4>(),
};
constexpr std::size_t kPageCount = std::size(kPageTable);

constexpr bool EachKindOnce() {
    for (std::size_t place = 0; place < kPageCount; ++place)
        for (std::size_t later = place + 1; later < kPageCount; ++later)
            if (kPageTable[place].kind == kPageTable[later].kind) return false;
    return true;
}
static_assert(EachKindOnce(), "each page kind stands in the page table once");

// Where the page of this kind stands in the table.
std::size_t PlaceOfKind(PageKind kind) {
    for (std::size_t place = 0; place < kPageCount; ++place)
        if (kPageTable[place].kind == kind) return place;
    throw std::logic_error("the wizard has no such page");
}

}  // namespace

Wizard::Wizard(Services services)
    : services_(std::move(services)),
      settingsSaves_(*services_.settings),
      pages_(kPageCount),
      lostWindowWatch_([this](WId window) -> QWidget* {
          for (const auto& page : pages_)
              if (page && page->internalWinId() == window) return page.get();
          return nullptr;
      }) {}

// The pages go last first; the output page stops an export that still runs
// as it goes.
Wizard::~Wizard() {
    for (auto page = pages_.rbegin(); page != pages_.rend(); ++page) page->reset();
}

const std::vector<PageKind>& Wizard::pageOrder() {
    static const std::vector<PageKind> order = [] {
        std::vector<PageKind> kinds;
        for (const PageEntry& entry : kPageTable) kinds.push_back(entry.kind);
        return kinds;
    }();
    return order;
}

bool Wizard::pageMade(PageKind kind) const { return pages_.at(PlaceOfKind(kind)) != nullptr; }

pages::WizardPage& Wizard::EnsurePage(PageKind kind) {
    const std::size_t place = PlaceOfKind(kind);
    std::unique_ptr<pages::WizardPage>& slot = pages_.at(place);
    if (slot) return *slot;
    slot = kPageTable[place].make(*this);
    pages::InstallPageKeys(slot.get());
    // The page is in place before its load runs, so a load that asks for
    // its own page (start-up signing in) finds it.
    pages::WizardPage& page = *slot;
    page.Form_Load();
    return page;
}

std::size_t Wizard::PlaceOfPage(const pages::WizardPage& page) const {
    for (std::size_t place = 0; place < pages_.size(); ++place)
        if (pages_[place].get() == &page) return place;
    throw std::logic_error("the page is not one of this wizard's");
}

pages::WizardPage& Wizard::EnsurePrevious(const pages::WizardPage& page) {
    const std::size_t place = PlaceOfPage(page);
    if (place == 0) throw std::logic_error("the first page has no page before it");
    return EnsurePage(kPageTable[place - 1].kind);
}

pages::WizardPage& Wizard::EnsureNext(const pages::WizardPage& page) {
    const std::size_t place = PlaceOfPage(page);
    if (place + 1 == kPageCount) throw std::logic_error("the last page has no page after it");
    return EnsurePage(kPageTable[place + 1].kind);
}

QWidget* Wizard::VisiblePageOtherThan(const QWidget* page) const {
    for (const auto& other : pages_)
        if (other != nullptr && other.get() != page && other->isVisible()) return other.get();
    return nullptr;
}

void Wizard::Start() {
    // The sign-in that the load may start waits off the window's thread, so
    // the login page is on screen at once, or as soon as it is clear that
    // the sign-in does not hand over at once.
    EnsurePage(kPageTable[0].kind).ShowAtStart();
}

void Wizard::EndProcess() {
    if (services_.endProcess) services_.endProcess();
}

db::LoginValues Wizard::CurrentLoginValues() { return EnsurePage<pages::Form1>().CurrentLoginValues(); }

void Wizard::BeginDatabaseAction(std::shared_ptr<app::BackgroundWork::Cancel> action) {
    databaseAction_ = std::move(action);
}

void Wizard::EndDatabaseAction(const app::BackgroundWork::Cancel* action) {
    if (databaseAction_.get() == action) databaseAction_.reset();
}

void Wizard::CancelDatabaseAction() {
    if (databaseAction_) databaseAction_->Now();
    databaseAction_.reset();
}

void Wizard::Tell(const QString& text) { messenger().Show(app::ApplicationTitle(), text, app::MessageIcon::None); }

}  // namespace wizard
