// The seven products the upgrader serves, in the order of the product entry.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvel {

struct Product {
    int entry;                   // index of the product entry on the main window
    std::string_view id;         // ProductId: step list key and SQL Server catalog name
    std::string_view plainName;  // what the product is, in plain English
    std::string_view persianName;  // the entry's caption on the main window
    std::string_view tooltip;    // shown when pointing at the product's icon
};

std::span<const Product> Products();

// Exact comparison, letter case included.
std::optional<Product> ProductById(std::string_view id);
std::string_view ProductIdForEntry(int entry);

}  // namespace orvel
