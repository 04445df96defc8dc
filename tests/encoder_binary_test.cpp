// The bundled encoder is started once per listed file; it must stay one static program that
// the system can still place at a random address.
#include <gtest/gtest.h>

#include <elf.h>

#include <fstream>
#include <vector>

namespace {

struct ElfFacts {
    bool readable = false;
    Elf64_Half type = ET_NONE;
    bool needsLoader = false; // has a PT_INTERP header: the dynamic loader must run first
    bool dynamicSection = false;
};

ElfFacts readElf(const char* path)
{
    ElfFacts facts;
    std::ifstream in(path, std::ios::binary);
    Elf64_Ehdr header{};
    if (!in.read(reinterpret_cast<char*>(&header), sizeof header) || header.e_ident[EI_CLASS] != ELFCLASS64)
        return facts;
    facts.type = header.e_type;
    std::vector<Elf64_Phdr> programHeaders(header.e_phnum);
    in.seekg(static_cast<std::streamoff>(header.e_phoff));
    if (!in.read(reinterpret_cast<char*>(programHeaders.data()),
                 static_cast<std::streamsize>(programHeaders.size() * sizeof(Elf64_Phdr))))
        return facts;
    facts.readable = true;
    for (const Elf64_Phdr& ph : programHeaders) {
        facts.needsLoader |= ph.p_type == PT_INTERP;
        facts.dynamicSection |= ph.p_type == PT_DYNAMIC;
    }
    return facts;
}

TEST(EncoderBinaryTest, BundledEncoderIsStaticAndPositionIndependent)
{
#ifndef KOVIRTA_BUNDLED_FFMPEG
    GTEST_SKIP() << "built against the system's shared FFmpeg";
#endif
#ifdef KOVIRTA_SANITIZE
    GTEST_SKIP() << "the sanitized encoder is linked dynamically";
#endif
    const ElfFacts facts = readElf(KOVIRTA_ENCODER_PATH);
    ASSERT_TRUE(facts.readable) << KOVIRTA_ENCODER_PATH;
    EXPECT_FALSE(facts.needsLoader) << "the encoder needs the dynamic loader: a shared library crept in";
    EXPECT_EQ(facts.type, ET_DYN) << "the encoder is no longer position independent";
}

} // namespace
