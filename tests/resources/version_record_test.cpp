// Reads the compiled Windows resources (.res, as windres writes them) and
// checks the version record and the icon group against what Windows shows.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

std::string resPath;

using Bytes = std::vector<std::uint8_t>;

unsigned U16(const Bytes& b, std::size_t at) {
  return b.at(at) | (b.at(at + 1) << 8u);
}
unsigned U32(const Bytes& b, std::size_t at) {
  return U16(b, at) | (U16(b, at + 2) << 16u);
}
std::size_t Align4(std::size_t at) {
  return (at + 3) & ~std::size_t{3};
}

// A UTF-16 name (ASCII here) ending in 0; returns the offset after it.
std::size_t ReadName(const Bytes& b, std::size_t at, std::string& name) {
  for (unsigned c; (c = U16(b, at)) != 0; at += 2)
    name += static_cast<char>(c);
  return at + 2;
}

struct Resource {
  unsigned type, name, language;
  Bytes data;
};

// Entries of a .res file: each a header (sizes, type, name, language) and
// its data, both padded to 4 bytes. Types and names are numeric here.
std::vector<Resource> ReadRes(const Bytes& b) {
  std::vector<Resource> out;
  for (std::size_t at = 0; at + 32 <= b.size();) {
    const unsigned dataSize = U32(b, at), headerSize = U32(b, at + 4);
    Resource r{};
    std::size_t p = at + 8;
    r.type = U16(b, p) == 0xFFFF ? U16(b, p + 2) : 0;
    p += 4;
    r.name = U16(b, p) == 0xFFFF ? U16(b, p + 2) : 0;
    p = Align4(p + 4);
    r.language = U16(b, p + 6);
    const std::size_t data = at + headerSize;
    r.data.assign(b.begin() + static_cast<long>(data),
                  b.begin() + static_cast<long>(data + dataSize));
    if (dataSize > 0) out.push_back(r);
    at = Align4(data + dataSize);
  }
  return out;
}

// The tree of the version record: each node a key, a value, and children.
struct Node {
  std::string key;
  Bytes value;
  bool text = false;
  std::vector<Node> children;
  const Node* Child(const std::string& k) const {
    for (const Node& c : children)
      if (c.key == k) return &c;
    return nullptr;
  }
  std::string Text() const {
    std::string s;
    for (std::size_t i = 0; i + 1 < value.size() && U16(value, i) != 0; i += 2)
      s += static_cast<char>(U16(value, i));
    return s;
  }
};

Node ReadNode(const Bytes& b, std::size_t at) {
  Node node;
  const unsigned length = U16(b, at), valueLength = U16(b, at + 2);
  node.text = U16(b, at + 4) == 1;
  std::size_t p = Align4(ReadName(b, at + 6, node.key));
  const std::size_t valueBytes = node.text ? valueLength * 2u : valueLength;
  node.value.assign(b.begin() + static_cast<long>(p),
                    b.begin() + static_cast<long>(p + valueBytes));
  for (p = Align4(p + valueBytes); p < at + length; p = Align4(p + U16(b, p)))
    node.children.push_back(ReadNode(b, p));
  return node;
}

class WindowsResources : public ::testing::Test {
protected:
  void SetUp() override {
    std::ifstream in(resPath, std::ios::binary);
    ASSERT_TRUE(in) << "cannot read " << resPath;
    const Bytes bytes{std::istreambuf_iterator<char>(in), {}};
    for (Resource& r : ReadRes(bytes))
      byType.emplace(r.type, std::move(r));
  }
  std::multimap<unsigned, Resource> byType;
};

constexpr unsigned kIcon = 3, kGroupIcon = 14, kVersion = 16;

TEST_F(WindowsResources, VersionRecord) {
  ASSERT_EQ(byType.count(kVersion), 1u);
  const Resource& version = byType.find(kVersion)->second;
  EXPECT_EQ(version.language, 0x0409u);
  const Node root = ReadNode(version.data, 0);
  EXPECT_EQ(root.key, "VS_VERSION_INFO");
  ASSERT_EQ(root.value.size(), 52u);
  EXPECT_EQ(U32(root.value, 0), 0xFEEF04BDu);
  const struct {
    const char* tag;
    std::size_t offset;
    unsigned expected;
  } fixed[] = {{"file version 1.0", 8, 0x00010000u},
               {"file version .0.0", 12, 0u},
               {"product version 1.0", 16, 0x00010000u},
               {"product version .0.0", 20, 0u}};
  for (const auto& f : fixed)
    EXPECT_EQ(U32(root.value, f.offset), f.expected) << f.tag;

  const Node* strings = root.Child("StringFileInfo");
  ASSERT_NE(strings, nullptr);
  const Node* table = strings->Child("040904B0");
  ASSERT_NE(table, nullptr) << "US English, Unicode";
  for (const char* key : {"FileVersion", "ProductVersion"}) {
    const Node* value = table->Child(key);
    ASSERT_NE(value, nullptr) << key;
    EXPECT_EQ(value->Text(), "1.00") << key;
  }
  for (const char* key : {"ProductName", "InternalName", "OriginalFilename", "FileDescription"}) {
    const Node* value = table->Child(key);
    ASSERT_NE(value, nullptr) << key;
    EXPECT_FALSE(value->Text().empty()) << key;
  }
  const Node* vars = root.Child("VarFileInfo");
  ASSERT_NE(vars, nullptr);
  const Node* translation = vars->Child("Translation");
  ASSERT_NE(translation, nullptr);
  ASSERT_EQ(translation->value.size(), 4u);
  EXPECT_EQ(U16(translation->value, 0), 0x0409u);
  EXPECT_EQ(U16(translation->value, 2), 0x04B0u);
}

TEST_F(WindowsResources, IconGroupHasThreeMaskedImages) {
  ASSERT_EQ(byType.count(kGroupIcon), 1u);
  const Bytes& group = byType.find(kGroupIcon)->second.data;
  ASSERT_EQ(U16(group, 4), 3u);
  struct Image {
    unsigned size, colours, bits;
    bool operator==(const Image&) const = default;
  };
  std::vector<Image> images;
  for (std::size_t i = 0; i < 3; ++i) {
    const std::size_t e = 6 + 14 * i;
    images.push_back({group.at(e), group.at(e + 2), U16(group, e + 6)});
  }
  const std::vector<Image> expected = {{32, 2, 1}, {32, 16, 4}, {16, 16, 4}};
  EXPECT_EQ(images, expected);
  ASSERT_EQ(byType.count(kIcon), 3u);
  auto [first, last] = byType.equal_range(kIcon);
  for (auto it = first; it != last; ++it) {
    const Bytes& dib = it->second.data;
    EXPECT_EQ(U32(dib, 0), 40u);
    EXPECT_EQ(U32(dib, 8), 2 * U32(dib, 4)) << "colour and mask stacked";
  }
}

} // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: version_record_test FILE.res\n");
    return 2;
  }
  resPath = argv[1];
  return RUN_ALL_TESTS();
}
