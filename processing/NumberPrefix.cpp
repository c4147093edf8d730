#include "processing/NumberPrefix.h"

#include <algorithm>

namespace kavora {

std::string numberPrefix(std::uint64_t number)
{
    const std::string digits = std::to_string(number);
    std::string prefix(digits.size() < 3 ? 3 - digits.size() : 0, '0');
    prefix += digits;
    prefix += ' ';
    return prefix;
}

bool hasNumberPrefix(std::string_view fileName)
{
    return fileName.size() >= kPrefixLength && fileName[3] == ' ' &&
           std::all_of(fileName.begin(), fileName.begin() + 3, [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::string_view> nameWithoutNumber(std::string_view fileName, std::uint64_t number)
{
    if (number == 0 || number > kHighestNumber || !fileName.starts_with(numberPrefix(number)))
        return std::nullopt;
    const std::string_view rest = fileName.substr(kPrefixLength);
    if (rest.empty() || rest.front() == '.')
        return std::nullopt;
    return rest;
}

} // namespace kavora
