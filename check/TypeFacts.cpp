// Reading column types into their facts.
#include "check/TypeFacts.h"

#include <cctype>

#include <fmt/format.h>

#include "database/NameMatching.h"

namespace orvel {

namespace {

std::optional<int> NumberAt(const std::string& text, std::size_t at) {
    if (at >= text.size() || std::isdigit(static_cast<unsigned char>(text[at])) == 0) return std::nullopt;
    return std::stoi(text.substr(at));
}

}  // namespace

TypeFacts TypeOf(const std::string& typeText) {
    TypeFacts type;
    for (char c : FoldAsciiCase(typeText))
        if (c != ' ' && c != '\t' && c != '[' && c != ']') type.text += c;
    const auto open = type.text.find('(');
    type.base = type.text.substr(0, open);
    if (type.base == "integer") {
        type.base = "int";
        type.text = "int" + (open == std::string::npos ? std::string() : type.text.substr(open));
    }
    const std::string& b = type.base;
    if (b == "char" || b == "varchar" || b == "nchar" || b == "nvarchar" || b == "text" || b == "ntext") {
        type.family = TypeFacts::Text;
        type.unicode = b.front() == 'n';
        type.fixedLength = b == "char" || b == "nchar";
        type.large = b == "text" || b == "ntext";
        if (open != std::string::npos) {
            if (const auto n = NumberAt(type.text, open + 1)) type.length = *n;
        } else if (type.fixedLength || b == "varchar" || b == "nvarchar") {
            type.length = 1;  // char and varchar without a length hold one
        }
    } else if (b == "tinyint" || b == "smallint" || b == "int" || b == "bigint") {
        type.family = TypeFacts::WholeNumber;
    } else if (b == "decimal" || b == "numeric") {
        type.family = TypeFacts::ExactNumber;
        if (open != std::string::npos) {
            type.precision = NumberAt(type.text, open + 1).value_or(18);
            const auto comma = type.text.find(',', open);
            type.scale = comma == std::string::npos ? 0 : NumberAt(type.text, comma + 1).value_or(0);
        }
    } else if (b == "money" || b == "smallmoney") {
        type.family = TypeFacts::Money;
    } else if (b == "float" || b == "real" || b == "double") {
        type.family = TypeFacts::Approximate;
    } else if (b == "bit") {
        type.family = TypeFacts::Bit;
    }
    return type;
}

std::string TypeText(const std::string& dataType, const std::optional<std::string>& length,
                     const std::optional<std::string>& precision, const std::optional<std::string>& scale) {
    const std::string base = FoldAsciiCase(dataType);
    if (length && base != "text" && base != "ntext" &&
        (base == "char" || base == "varchar" || base == "nchar" || base == "nvarchar" || base == "binary" ||
         base == "varbinary"))
        return base + "(" + (*length == "-1" ? std::string("max") : *length) + ")";
    if ((base == "decimal" || base == "numeric") && precision && scale)
        return fmt::format("{}({},{})", base, *precision, *scale);
    return base;
}

std::optional<WholeRange> RangeOf(const TypeFacts& type) {
    if (type.base == "tinyint") return WholeRange{"255", "0"};
    if (type.base == "smallint") return WholeRange{"32767", "32768"};
    if (type.base == "int") return WholeRange{"2147483647", "2147483648"};
    if (type.base == "bigint") return WholeRange{"9223372036854775807", "9223372036854775808"};
    if (type.base == "money") return WholeRange{"922337203685477", "922337203685477"};
    if (type.base == "smallmoney") return WholeRange{"214748", "214748"};
    return std::nullopt;
}

std::string PowerOfTen(int exponent) { return "1" + std::string(static_cast<std::size_t>(exponent), '0'); }

}  // namespace orvel
