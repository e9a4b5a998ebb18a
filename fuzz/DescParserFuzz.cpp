// Fuzzes the descriptor reader on arbitrary text with a handler that defines
// names the way the font reader does and runs every argument conversion.
#include "framework/parsers/DescParser.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

class FuzzParser : public Lumo::DescParser {
public:
    explicit FuzzParser(int separators) { mCmdSep = separators; }

    bool HandleCommand(const Lumo::ListDataElement& params) override
    {
        const auto& args = params.mElementVector;
        (void)Lumo::DataElementToString(params);
        const auto& word = static_cast<const Lumo::SingleDataElement&>(*args[0]).mString;
        if ((word == "Define" || word == "define") && args.size() == 3 && !args[1]->mIsList) {
            const std::string name = static_cast<const Lumo::SingleDataElement&>(*args[1]).mString;
            if (IsImmediate(name))
                return Error("Invalid Paramater Type");
            std::unique_ptr<Lumo::DataElement> value;
            if (args[2]->mIsList) {
                auto list = std::make_unique<Lumo::ListDataElement>();
                if (!Dereference(static_cast<const Lumo::ListDataElement&>(*args[2]), *list))
                    return false;
                value = std::move(list);
            } else if (const Lumo::DataElement* define =
                           GetDefine(static_cast<const Lumo::SingleDataElement&>(*args[2]).mString)) {
                value = define->Duplicate();
            } else {
                value = args[2]->Duplicate();
            }
            std::string key;
            for (const char c : name)
                key += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
            mDefineMap[key] = std::move(value);
            return true;
        }
        for (size_t i = 1; i < args.size(); ++i) {
            std::string text;
            std::vector<std::string> texts;
            std::vector<int> ints;
            std::vector<double> doubles;
            Lumo::ListDataElement list;
            (void)DataToString(*args[i], text);
            (void)Unquote(text);
            (void)DataToList(*args[i], texts);
            (void)DataToIntVector(*args[i], ints);
            (void)DataToDoubleVector(*args[i], doubles);
            if (GetListArgument(*args[i], list)) {
                for (const auto& item : list.mElementVector)
                    (void)DataToIntVector(*item, ints);
            }
        }
        // Keep going past failed conversions; a command word "Stop" ends the parse.
        return word != "Stop";
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const int separators = 1 + data[0] % 3;
    FuzzParser parser(separators);
    parser.LoadDescriptorText(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    return 0;
}
