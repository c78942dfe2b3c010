#pragma once
// Builds small tables in code for the tests.
#include "tables/Table.h"
#include "text/Errors.h"
#include <memory>
#include <string>
#include <vector>

template <class C> C& Add(TGridTable& table, std::vector<std::string> headers = {"H"}) {
    auto column = std::make_unique<C>(&table);
    column->SetHeaderLines(std::move(headers));
    return static_cast<C&>(table.AddColumn(std::move(column)));
}

inline TFloatColumn& AddFloat(TGridTable& table, const std::string& unit = "", bool topDepth = false,
                              std::vector<std::string> headers = {"H"}) {
    auto& c = Add<TFloatColumn>(table, std::move(headers));
    c.UnitString = unit;
    c.TopDepth = topDepth;
    return c;
}

// The message of the error a call raises, or "no error".
template <class F> std::string ErrorOf(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}
