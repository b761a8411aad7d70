// The key derived side by side (or a thread a block) is the key the cipher library derives from
// the password, so the files open as before.
#include "store/crypto/key_derivation.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <filesystem>
#include <fstream>
#include <iostream>

#include "store/crypto/first_page.h"
#include "store/sqlite/database.h"
#include "tests/core/test_history.h"

using namespace km;

namespace {
DatabaseKey reference(const std::string& password, const DatabaseSalt& salt, int rounds) {
  DatabaseKey k{};
  PKCS5_PBKDF2_HMAC_SHA1(password.data(), static_cast<int>(password.size()), salt.data(), salt.size(), rounds, k.size(),
                         k.data());
  return k;
}
}  // namespace

TEST(KeyDerivation, EqualsPbkdf2HmacSha1OfTheCryptoLibraryOnEitherPath) {
  for (KeyDerivationPath path : {KeyDerivationPath::Fastest, KeyDerivationPath::Portable}) {
    SCOPED_TRACE(path == KeyDerivationPath::Fastest ? "fastest" : "portable");
    DatabaseSalt salt;
    for (size_t i = 0; i < salt.size(); ++i) salt[i] = static_cast<std::uint8_t>(i * 37 + 5);
    for (int rounds : {1, 2, 3, 1000}) {
      EXPECT_EQ(deriveDatabaseKey("417253", salt, rounds, path), reference("417253", salt, rounds)) << rounds;
    }
    const std::string longPassword(100, 'k');  // longer than a hash block
    EXPECT_EQ(deriveDatabaseKey(longPassword, salt, 5, path), reference(longPassword, salt, 5));
    EXPECT_EQ(deriveDatabaseKey("", salt, 5, path), reference("", salt, 5));
    EXPECT_EQ(deriveDatabaseKey(databasePassword(), salt, kKdfRounds, path),
              reference(databasePassword(), salt, kKdfRounds));
    // every byte value in the salt, and a salt whose digests carry high bits
    for (int s = 0; s < 16; ++s) {
      for (size_t i = 0; i < salt.size(); ++i) salt[i] = static_cast<std::uint8_t>(s * 16 + i);
      EXPECT_EQ(deriveDatabaseKey(databasePassword(), salt, 7, path), reference(databasePassword(), salt, 7)) << s;
    }
  }
  EXPECT_EQ(rawKeyLiteral(DatabaseKey{0x01, 0xAB}).substr(0, 8), "x'01AB00");
  EXPECT_EQ(rawKeyLiteral(DatabaseKey{}).size(), 2u + 64u + 1u);
}

TEST(KeyDerivation, TheSaltIsTheHeadOfTheFileAndAShortFileHasNone) {
  const auto dir = std::filesystem::temp_directory_path() / ("km-kdf-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  EXPECT_FALSE(saltOfFirstPage("0123456789"));
  EXPECT_FALSE(saltOfFirstPage(""));
  const auto salt = saltOfFirstPage("0123456789abcdefXYZ");
  ASSERT_TRUE(salt);
  EXPECT_EQ(std::string(salt->begin(), salt->end()), "0123456789abcdef");

  // a database keyed by its password reads with the derived key; a short file reports as before
  const ConnectString cs = makeConnectString(dir.string());
  writeDatabase(cs, test::draws({{1, {1, 2, 3, 4, 5, 6}}, {2, {7, 8, 9, 10, 11, 12}}}));
  const LoadResult ok = loadHistory(cs);
  ASSERT_TRUE(ok.ok) << ok.message;
  EXPECT_EQ(ok.rows.size(), 2u);
  ConnectString wrong = cs;
  wrong.password = "417254";
  EXPECT_FALSE(loadHistory(wrong).ok);
  std::filesystem::resize_file(cs.path, 10);
  const LoadResult shortFile = loadHistory(cs);
  EXPECT_FALSE(shortFile.ok);
  EXPECT_NE(shortFile.message.find("このプログラムの当選データファイルではありません"), std::string::npos)
      << shortFile.message;
  std::filesystem::remove_all(dir);
}
