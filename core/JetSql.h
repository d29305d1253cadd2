#pragma once

#include <optional>
#include <string>

// The tables' statements are written in the Jet dialect the files were first
// designed for. These helpers let the SQLite-based layer accept them and keep
// values out of the statement's structure.
namespace jetsql {

// "DELETE * FROM[T]..." becomes "DELETE FROM[T]..."; everything else is unchanged.
std::string ToSqlite(const std::string& statement);

// The table of a "SELECT * FROM <table> ..." query, the only form whose
// records can be edited and appended through a recordset.
std::optional<std::string> EditableTable(const std::string& query);

// A single-quoted SQL text literal: apostrophes are doubled, so any value
// (apostrophes, percent signs, quotes, brackets) is stored and found exactly.
std::string Quote(const std::string& value);

// A double-quoted identifier with any '"' doubled, for statements the layer builds itself.
std::string Identifier(const std::string& name);

} // namespace jetsql
