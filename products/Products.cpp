// The product table: entry index, ProductId, captions and tooltips.
#include "products/Products.h"

#include <array>

namespace orvel {

namespace {

constexpr std::array<Product, 7> kProducts{{
    {0, "Velora", "insurance office", "ولورا اورول",
     "نرم افزار مالي و مديريتي ويژه نمايندگان و کارگزاران بيمه"},
    {1, "Tamrix2", "network marketing", "تامريکس اورول",
     "نرم افزار مالي و مديريتي تحت وب سرويس دهندگان اينترنتهاي پر سرعت"},
    {2, "Pelsa", "office automation", "پلسا اورول",
     "نرم افزار اتوماسيون اداري، اسکن و مديريت پرونده ها - در ادارات و سازمانها نصب مي شود"},
    {3, "Brivo", "jewellery design", "بريوو",
     "نرم افزار طراحي الگوهاي پيچيده جواهرات و توليد G-code براي دستگاههاي CNC جواهرسازي"
     " - نسخه سفارشي گالري زرين"},
    {4, "Mornale", "restaurant", "مورناله اورول", "نرم افزار مخصوص رستوران و کافي شاپ ها"},
    {5, "Kestin", "treasury", "کستين اورول", "نرم افزار دريافت و پرداخت اقساط "},
    {6, "Zorbex", "touch-screen accounting", "زوربکس اورول",
     "نرم افزار چسابداري مالي ويژه مانيتورهاي لمسي"},
}};

}  // namespace

std::span<const Product> Products() { return kProducts; }

std::optional<Product> ProductById(std::string_view id) {
    for (const auto& product : kProducts)
        if (product.id == id) return product;
    return std::nullopt;
}

std::string_view ProductIdForEntry(int entry) {
    return (entry >= 0 && entry < static_cast<int>(kProducts.size())) ? kProducts[entry].id
                                                                       : std::string_view{};
}

}  // namespace orvel
