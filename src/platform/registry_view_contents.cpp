// A key's contents through the Registry calls: enumerating its subkeys and values, reading, setting and
// deleting values.
#include "platform/registry_view.h"

#include "platform/value_delivery.h"

#include "platform/root_keys.h"
#include "platform/utf16.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace vx {

const std::vector<std::pair<RegKeyNode*, RegKeyNode*>>& RegistryView::MergedSubkeys(OpenKey& key) {
    const uint64_t generation = SidesGeneration(key);
    if (key.subkeyGeneration == generation)
        return key.subkeyList;
    key.subkeyList.clear();
    static const SubkeyList kNone;
    const auto& users = key.user.key ? key.user.key->subkeys : kNone;
    const auto& machines = key.main.key ? key.main.key->subkeys : kNone;
    size_t u = 0, m = 0;
    while (u < users.size() || m < machines.size()) {
        int c = u == users.size()      ? 1
                : m == machines.size() ? -1
                                       : CompareRegistryNames(users[u]->name, machines[m]->name);
        if (c < 0)
            key.subkeyList.emplace_back(users[u++], nullptr);
        else if (c > 0)
            key.subkeyList.emplace_back(nullptr, machines[m++]);
        else
            key.subkeyList.emplace_back(users[u++], machines[m++]);
    }
    key.subkeyGeneration = generation;
    return key.subkeyList;
}

const std::vector<std::pair<const RegKeyNode*, size_t>>& RegistryView::MergedValues(OpenKey& key) {
    const uint64_t generation = SidesGeneration(key);
    if (key.valueGeneration == generation)
        return key.valueList;
    key.valueList.clear();
    const RegKeyNode* user = key.user.key;
    const RegKeyNode* machine = key.main.key;
    if (user)
        for (size_t i = 0; i < user->values.size(); ++i)
            key.valueList.emplace_back(user, i);
    if (machine)
        for (size_t i = 0; i < machine->values.size(); ++i)
            if (!user || !user->store->FindValue(*user, machine->values[i].name()))
                key.valueList.emplace_back(machine, i);
    const bool sorted = (!user || user->store->Order() == RegistryStore::ValueOrder::Sorted) &&
                        (!machine || machine->store->Order() == RegistryStore::ValueOrder::Sorted);
    if (sorted && user && machine)
        std::stable_sort(key.valueList.begin(), key.valueList.end(), [](const auto& a, const auto& b) {
            return CompareRegistryNames(a.first->values[a.second].name(), b.first->values[b.second].name()) <
                   0;
        });
    key.valueGeneration = generation;
    return key.valueList;
}

Status RegistryView::RegEnumKeyEx(HKEY hkey, uint32_t index, std::string& name, uint32_t& nameSize,
                                  uint32_t* classSize) {
    Status status;
    OpenKey* key = Lookup(hkey, status);
    if (!key)
        return status;
    if (!(key->access & KEY_ENUMERATE_SUB_KEYS))
        return ERROR_ACCESS_DENIED;
    const RegKeyNode* entry = nullptr;
    SubkeyHint hint;
    if (key->merged) {
        const auto& list = MergedSubkeys(*key);
        if (index >= list.size())
            return ERROR_NO_MORE_ITEMS;
        entry = list[index].first ? list[index].first : list[index].second;
        assert(entry);
        hint.sides = {{{key->user.key, list[index].first, GenerationOf(key->user.key)},
                       {key->main.key, list[index].second, GenerationOf(key->main.key)}}};
    } else {
        if (index >= key->main.key->subkeys.size())
            return ERROR_NO_MORE_ITEMS;
        entry = key->main.key->subkeys[index];
        hint.sides[0] = {key->main.key, key->main.key->subkeys[index], GenerationOf(key->main.key)};
    }
    // Sizes count the terminating zero going in and leave it out coming back, as the A functions do.
    if (entry->name.size() + 1 > nameSize)
        return ERROR_MORE_DATA;
    const std::string_view className = entry->store->ClassName(*entry);
    if (classSize && *classSize > 0 && className.size() + 1 > *classSize)
        return ERROR_MORE_DATA;
    name.assign(entry->name);
    nameSize = static_cast<uint32_t>(entry->name.size());
    if (classSize)
        *classSize = static_cast<uint32_t>(className.size());
    hint.name = entry->name;
    subkeyHint_ = hint;
    return ERROR_SUCCESS;
}

// The checks both value reads make first: an open handle, the right to read values, and a size for a
// given buffer.
RegistryView::OpenKey* RegistryView::ValueReader(HKEY hkey, std::span<uint8_t> data, const uint32_t* dataSize,
                                                 Status& status) {
    OpenKey* key = Lookup(hkey, status);
    if (!key)
        return nullptr;
    if (!(key->access & KEY_QUERY_VALUE)) {
        status = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    if (!data.empty() && !dataSize) {
        status = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    return key;
}

Status RegistryView::RegEnumValue(HKEY hkey, uint32_t index, std::string& name, uint32_t& nameSize,
                                  uint32_t* type, std::span<uint8_t> data, uint32_t* dataSize) {
    Status status;
    OpenKey* key = ValueReader(hkey, data, dataSize, status);
    if (!key)
        return status;
    const RegKeyNode* owner = nullptr;
    const RegValueRecord* value = nullptr;
    if (key->merged) {
        const auto& list = MergedValues(*key);
        if (index >= list.size())
            return ERROR_NO_MORE_ITEMS;
        owner = list[index].first;
        assert(list[index].second < owner->values.size());
        value = &owner->values[list[index].second];
    } else {
        if (index >= key->main.key->values.size())
            return ERROR_NO_MORE_ITEMS;
        owner = key->main.key;
        value = &owner->values[index];
    }
    if (type)
        *type = value->type();
    const std::string_view delivered =
        dataSize ? std::string_view(DeliveredData(*owner, *value)) : std::string_view();
    const Status result = DeliverEnumeratedValue(value->name(), delivered, name, nameSize, data, dataSize);
    if (result != ERROR_SUCCESS)
        return result;
    valueHint_ = {SidesGeneration(*key), hkey, owner, value};
    return ERROR_SUCCESS;
}

const std::string& RegistryView::DeliveredData(const RegKeyNode& owner, const RegValueRecord& value) {
    const uint64_t generation = owner.store->Generation();
    if (delivered_.store != owner.store || delivered_.generation != generation ||
        !(delivered_.record == value)) {
        owner.store->AnsiData(value, delivered_.bytes);
        delivered_.store = owner.store;
        delivered_.record = value;
        delivered_.generation = generation;
    }
    return delivered_.bytes;
}

const RegValueRecord* RegistryView::FindValue(const OpenKey& key, std::string_view name,
                                              const RegKeyNode** owner) const {
    for (const RegKeyNode* side : {key.merged ? key.user.key : nullptr, key.main.key}) {
        if (!side)
            continue;
        if (const RegValueRecord* value = side->store->FindValue(*side, name)) {
            *owner = side;
            return value;
        }
    }
    return nullptr;
}

Status RegistryView::RegQueryValueEx(HKEY hkey, std::string_view valueName, uint32_t* type,
                                     std::span<uint8_t> data, uint32_t* dataSize) {
    Status status;
    OpenKey* key = ValueReader(hkey, data, dataSize, status);
    if (!key)
        return status;
    const RegKeyNode* owner = nullptr;
    const RegValueRecord* value = nullptr;
    // A value just enumerated on this handle is the one its name finds, where names are unique (sorted
    // stores; in the merged view the list already hides the machine's values that the user's shadow).
    if (valueHint_.handle == hkey && valueHint_.generation == SidesGeneration(*key) &&
        valueHint_.owner->store->Order() == RegistryStore::ValueOrder::Sorted &&
        valueName == valueHint_.value->name()) {
        owner = valueHint_.owner;
        value = valueHint_.value;
        assert(value >= owner->values.data() && value < owner->values.data() + owner->values.size());
    } else {
        value = FindValue(*key, valueName, &owner);
    }
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = value->type();
    return DeliverQueriedValue(
        value->type(), dataSize ? std::string_view(DeliveredData(*owner, *value)) : std::string_view(), data,
        dataSize);
}

Status RegistryView::RegQueryValueRaw(HKEY hkey, std::string_view valueName, uint32_t& type,
                                      std::string& bytes) {
    Status status;
    OpenKey* key = Lookup(hkey, status);
    if (!key)
        return status;
    const RegKeyNode* owner = nullptr;
    const RegValueRecord* value = FindValue(*key, valueName, &owner);
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    type = value->type();
    std::string scratch;
    bytes.assign(owner->store->ValueBytes(*value, scratch));
    return ERROR_SUCCESS;
}

Status RegistryView::RefuseWrite(const RegKeyNode* key) {
    if (key && !key->store->WhyNotWritable().empty())
        lastError_ = key->store->WhyNotWritable();
    return ERROR_ACCESS_DENIED;
}

Status RegistryView::RegSetValueEx(HKEY hkey, std::string_view valueName, uint32_t type,
                                   std::span<const uint8_t> data) {
    Status status;
    OpenKey* key = Lookup(hkey, status);
    if (!key)
        return status;
    if (!(key->access & KEY_SET_VALUE))
        return RefuseWrite(key->main.key && !key->main.key->store->Writable() ? key->main.key
                                                                              : key->user.key);
    RegKeyNode* target = key->merged && key->user.key ? key->user.key : key->main.key;
    if (!target)
        return ERROR_FILE_NOT_FOUND;
    if (IsSynthetic(target) || !target->store->Writable())
        return RefuseWrite(target);
    const std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
    if (IsStringType(type))
        target->store->SetValue(*target, valueName, type, Utf8ToUtf16(bytes));
    else
        target->store->SetValue(*target, valueName, type, bytes);
    return ERROR_SUCCESS;
}

Status RegistryView::RegSetValueRaw(HKEY hkey, std::string_view valueName, uint32_t type,
                                    std::string_view bytes) {
    Status status;
    OpenKey* key = Lookup(hkey, status);
    if (!key)
        return status;
    if (!(key->access & KEY_SET_VALUE))
        return RefuseWrite(key->main.key && !key->main.key->store->Writable() ? key->main.key
                                                                              : key->user.key);
    RegKeyNode* target = key->merged && key->user.key ? key->user.key : key->main.key;
    if (!target)
        return ERROR_FILE_NOT_FOUND;
    if (IsSynthetic(target) || !target->store->Writable())
        return RefuseWrite(target);
    target->store->SetValue(*target, valueName, type, bytes);
    return ERROR_SUCCESS;
}

Status RegistryView::RegDeleteValue(HKEY hkey, std::string_view valueName) {
    Status status;
    OpenKey* key = Lookup(hkey, status);
    if (!key)
        return status;
    if (!(key->access & KEY_SET_VALUE))
        return RefuseWrite(key->main.key && !key->main.key->store->Writable() ? key->main.key
                                                                              : key->user.key);
    const RegKeyNode* owner = nullptr;
    if (!FindValue(*key, valueName, &owner))
        return ERROR_FILE_NOT_FOUND;
    RegKeyNode* target = const_cast<RegKeyNode*>(owner);
    if (IsSynthetic(target) || !target->store->Writable())
        return RefuseWrite(target);
    target->store->DeleteValue(*target, valueName);
    return ERROR_SUCCESS;
}

} // namespace vx
