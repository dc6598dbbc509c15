#include "wizard/wizard.h"

#include <optional>
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

// One page of the wizard: how it is made, and the pages before and after it.
struct PageEntry {
    PageKind kind;
    std::unique_ptr<pages::WizardPage> (*make)(Wizard&);
    std::optional<PageKind> previous;
    std::optional<PageKind> next;
};

template <typename Page>
constexpr PageEntry Entry(std::optional<PageKind> previous, std::optional<PageKind> next) {
    return {Page::kKind,
            [](Wizard& wizard) -> std::unique_ptr<pages::WizardPage> { return std::make_unique<Page>(wizard); },
            previous, next};
}

// The wizard's pages in order; the first is shown at start.
const PageEntry kPageTable[] = {
    Entry<pages::Form1>(std::nullopt, PageKind::Table),
    Entry<pages::Form2>(PageKind::Login, PageKind::Fields),
    Entry<pages::Form3>(PageKind::Table, PageKind::Output),
    Entry<pages::Form4>(PageKind::Fields, std::nullopt),
};

const PageEntry& EntryOf(PageKind kind) {
    for (const PageEntry& entry : kPageTable)
        if (entry.kind == kind) return entry;
    throw std::logic_error("the wizard has no such page");
}

}  // namespace

Wizard::Wizard(Services services) : services_(std::move(services)) {}

// The pages go last first; the output page stops an export that still runs
// as it goes.
Wizard::~Wizard() {
    while (!pages_.empty()) pages_.erase(std::prev(pages_.end()));
}

pages::WizardPage& Wizard::EnsurePage(PageKind kind) {
    if (const auto made = pages_.find(kind); made != pages_.end()) return *made->second;
    std::unique_ptr<pages::WizardPage>& slot = pages_[kind];
    slot = EntryOf(kind).make(*this);
    pages::InstallPageKeys(slot.get());
    // The page is in place before its load runs, so a load that asks for
    // its own page (start-up signing in) finds it.
    pages::WizardPage& page = *slot;
    page.Form_Load();
    return page;
}

PageKind Wizard::KindOf(const pages::WizardPage& page) const {
    for (const auto& [kind, made] : pages_)
        if (made.get() == &page) return kind;
    throw std::logic_error("the page is not one of this wizard's");
}

pages::WizardPage& Wizard::EnsurePrevious(const pages::WizardPage& page) {
    const std::optional<PageKind> previous = EntryOf(KindOf(page)).previous;
    if (!previous) throw std::logic_error("the first page has no page before it");
    return EnsurePage(*previous);
}

pages::WizardPage& Wizard::EnsureNext(const pages::WizardPage& page) {
    const std::optional<PageKind> next = EntryOf(KindOf(page)).next;
    if (!next) throw std::logic_error("the last page has no page after it");
    return EnsurePage(*next);
}

QWidget* Wizard::VisiblePageOtherThan(const QWidget* page) const {
    for (const auto& [kind, other] : pages_)
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
