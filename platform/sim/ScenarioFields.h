// Strict reading of scenario sections: every key must be known and of its
// type; a refusal names the key's path.
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

namespace scenario {

inline void Refuse(const std::string& path, const std::string& problem)
{
    throw std::runtime_error(path + ": " + problem);
}

inline const nlohmann::json& RequireObject(const nlohmann::json& value, const std::string& path,
                                           std::initializer_list<const char*> keys)
{
    if (!value.is_object())
        Refuse(path, "must be an object");
    for (const auto& item : value.items()) {
        bool known = false;
        for (const char* key : keys)
            known = known || item.key() == key;
        if (!known)
            Refuse(path + "." + item.key(), "unknown key");
    }
    return value;
}

inline const nlohmann::json& RequireArray(const nlohmann::json& value, const std::string& path)
{
    if (!value.is_array())
        Refuse(path, "must be an array");
    return value;
}

inline bool Bool(const nlohmann::json& object, const char* key, const std::string& path,
                 bool fallback)
{
    const auto found = object.find(key);
    if (found == object.end())
        return fallback;
    if (!found->is_boolean())
        Refuse(path + "." + key, "must be true or false");
    return found->get<bool>();
}

inline std::uint64_t Unsigned(const nlohmann::json& value, const std::string& path,
                              std::uint64_t maximum)
{
    if (!value.is_number_unsigned() && !(value.is_number_integer() && value.get<std::int64_t>() >= 0))
        Refuse(path, "must be a number from 0");
    const auto number = value.get<std::uint64_t>();
    if (number > maximum)
        Refuse(path, "must be at most " + std::to_string(maximum));
    return number;
}

inline std::uint64_t Unsigned(const nlohmann::json& object, const char* key,
                              const std::string& path, std::uint64_t maximum,
                              std::uint64_t fallback)
{
    const auto found = object.find(key);
    return found == object.end() ? fallback : Unsigned(*found, path + "." + key, maximum);
}

inline std::string String(const nlohmann::json& value, const std::string& path)
{
    if (!value.is_string())
        Refuse(path, "must be a string");
    return value.get<std::string>();
}

// A decimal key of an object ("8": ...), within 0..maximum.
inline std::uint64_t NumberKey(const std::string& key, const std::string& path,
                               std::uint64_t maximum)
{
    if (key.empty() || key.size() > 10 || key.find_first_not_of("0123456789") != std::string::npos)
        Refuse(path + "." + key, "key must be a decimal number");
    const auto number = std::stoull(key);
    if (number > maximum)
        Refuse(path + "." + key, "key must be at most " + std::to_string(maximum));
    return number;
}

} // namespace scenario
