#pragma once

#include <QString>

#include "db/login_values.h"

namespace wizard {
class Wizard;
}

namespace screenshots {

// Walks the wizard the way a user would against a server: signs in, picks
// the table, chooses a few of its fields and goes on to the output page.
// Throws when a page did not come up as expected.
void FillFromServer(wizard::Wizard& wizard, const QString& table, const QStringList& fields);

// Fills the pages with sample values directly, for a machine without a
// server.
void FillWithSampleValues(wizard::Wizard& wizard);

// What the output page's path box shows in the pictures, so that they name
// no real home folder.
QString SampleOutputPath();

}  // namespace screenshots
