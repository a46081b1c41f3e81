#include "XlsxXml.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace tallimo::host::xlsx {

namespace {

// pugixml takes its memory through one pair of functions for the whole program; they count
// what each thread's trees hold, so that a parse can be refused once its tree passes a budget
// instead of taking the machine's memory.
struct TreeMemory {
    std::size_t used = 0;
    std::size_t limit = std::numeric_limits<std::size_t>::max();
    bool refused = false;
};
thread_local TreeMemory treeMemory;

// Room in front of each block for its size, keeping the block's alignment.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* allocate(std::size_t size) {
    TreeMemory& m = treeMemory;
    if (size > m.limit - std::min(m.limit, m.used)) {
        m.refused = true;
        return nullptr;
    }
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (!block) return nullptr;
    std::memcpy(block, &size, sizeof size);
    m.used += size;
    return block + kHeader;
}

void deallocate(void* pointer) {
    if (!pointer) return;
    auto* block = static_cast<unsigned char*>(pointer) - kHeader;
    std::size_t size = 0;
    std::memcpy(&size, block, sizeof size);
    // A tree freed on another thread than the one that built it leaves this count alone.
    TreeMemory& m = treeMemory;
    m.used -= std::min(size, m.used);
    std::free(block);
}

// Set before main, so no tree is ever built with other functions than those that free it.
[[maybe_unused]] const bool kCounting =
    (pugi::set_memory_management_functions(allocate, deallocate), true);

}  // namespace

void parseInPlace(pugi::xml_document& doc, char* data, std::size_t size, unsigned flags,
                  pugi::xml_encoding encoding, const QString& part, std::size_t budget) {
    TreeMemory& m = treeMemory;
    const TreeMemory saved = m;
    m.limit = m.used + std::min(budget, m.limit - std::min(m.limit, m.used));
    m.refused = false;
    const pugi::xml_parse_result result = doc.load_buffer_inplace(data, size, flags, encoding);
    const bool refused = m.refused;
    m.limit = saved.limit;
    m.refused = saved.refused;
    if (refused) {
        doc.reset();
        fault(QStringLiteral("部件 %1 的结构过于庞大：解析所需内存超过 %2 MiB 的上限")
                  .arg(part)
                  .arg(budget >> 20));
    }
    if (!result)
        fault(QStringLiteral("部件 %1 不是有效的 XML（%2，位置 %3）")
                  .arg(part, QString::fromUtf8(result.description()))
                  .arg(result.offset));
}

}  // namespace tallimo::host::xlsx
