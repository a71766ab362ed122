#pragma once

#include <QString>

#include <functional>

class RowStore;
struct RenameEntry;

// Writes one row's new preview, computed from its base name, into `out`
// (whose storage is reused from row to row); false leaves the row's preview
// as it is.
using RowRule = std::function<bool(const QString &base, const RenameEntry &row, QString &out)>;

// The loop shared by the coded rules. Over the checked rows it picks each
// row's base name from the rule marker (the saved TempName while the same
// rule runs again, else the name the previous rule left), writes the preview,
// saves the base when another rule ran before, and records `code` as the last
// rule. An empty list changes nothing, the marker included.
void runRulePass(RowStore &store, QString &ruleMarker, QChar code, const RowRule &rule);

// The base a rule starts from for one row, given the marker read at the start
// of the pass.
const QString &baseNameFor(const RenameEntry &row, const QString &marker, QChar code);
