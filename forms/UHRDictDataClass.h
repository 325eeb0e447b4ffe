#pragma once

#include <memory>

namespace data {
class ClientDataSet;
}

// The whole dictionary table of the health-record database, read once at
// creation and kept in memory for the dialogs the user window opens.
class THRDictDataClass
{
public:
    // Reads the table; a failing read reaches the creator.
    THRDictDataClass();
    ~THRDictDataClass();
    THRDictDataClass(const THRDictDataClass &) = delete;
    THRDictDataClass &operator=(const THRDictDataClass &) = delete;

    void LoadDict();

    data::ClientDataSet *DictData() const { return FDictData.get(); }

private:
    std::unique_ptr<data::ClientDataSet> FDictData;
};
