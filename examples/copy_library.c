/* copy_library: lists a sprite library file, then copies it through all four
 * exports of the sprite file module. Each sprite is saved as a sprite file of
 * its own (SaveSprite) and read back (LoadSprite), and the library is saved
 * again from those records (SaveSpriteLibrary). With names of at most 255
 * bytes, FOLDER/copy.lspr is then byte for byte the original.
 *
 * What the loads fill in belongs to the module and is never freed or changed
 * here; the program frees only the arrays it allocated itself.
 */
#include <vornak/vornak.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char kUsage[] = "usage: copy_library LIBRARY FOLDER\n"
                             "Lists the sprites of the sprite library file LIBRARY, then writes each sprite to\n"
                             "FOLDER/sprite-N.spr and puts the library together again from those files as\n"
                             "FOLDER/copy.lspr. FOLDER must exist.\n";

static int fail(const char *what, const char *path) {
    fprintf(stderr, "copy_library: %s: %s\n", what, path);
    return 1;
}

static void listSprite(int32_t id, const char *name, const SpriteRecord *sprite) {
    printf("%ld\t%s\t%u frames, %u bits per pixel", (long)id, name, (unsigned)sprite->frameCount,
           (unsigned)sprite->bitsPerPixel);
    if (sprite->frameCount > 0)
        printf(", first frame %ux%u", (unsigned)sprite->width[0], (unsigned)sprite->height[0]);
    printf("\n");
}

int main(int argc, char **argv) {
    SpriteLibraryRecord library;
    SpriteLibraryRecord copy;
    SpriteRecord *sprites;
    SpriteRecord **spritePointers;
    char path[4096];
    int32_t count;
    int32_t i;
    int status = 0;

    if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
        fputs(kUsage, stdout);
        return 0;
    }
    if (argc != 3) {
        fputs(kUsage, stderr);
        return 2;
    }

    memset(&library, 0, sizeof library);
    if (!LoadSpriteLibrary(&library, argv[1]))
        return fail("cannot read the sprite library", argv[1]);
    count = library.spriteCount > 0 ? library.spriteCount : 0;
    printf("%ld sprites\n", (long)count);
    for (i = 0; i < count; ++i)
        listSprite(library.spriteIds[i], library.names[i], library.sprites[i]);

    /* The copy shares the loaded names and identifiers, and gets sprite
     * records of its own, filled from the sprite files. */
    sprites = calloc(count > 0 ? (size_t)count : 1, sizeof *sprites);
    spritePointers = calloc(count > 0 ? (size_t)count : 1, sizeof *spritePointers);
    if (!sprites || !spritePointers) {
        free(sprites);
        free(spritePointers);
        return fail("out of memory", argv[1]);
    }
    for (i = 0; i < count && status == 0; ++i) {
        if (snprintf(path, sizeof path, "%s/sprite-%ld.spr", argv[2], (long)i) >= (int)sizeof path)
            status = fail("path too long", argv[2]);
        else if (!SaveSprite(library.sprites[i], path))
            status = fail("cannot write", path);
        else if (!LoadSprite(&sprites[i], path))
            status = fail("cannot read back", path);
        spritePointers[i] = &sprites[i];
    }
    if (status == 0) {
        copy = library;
        copy.sprites = spritePointers;
        if (snprintf(path, sizeof path, "%s/copy.lspr", argv[2]) >= (int)sizeof path)
            status = fail("path too long", argv[2]);
        else if (!SaveSpriteLibrary(&copy, path))
            status = fail("cannot write", path);
        else
            printf("copied to %s\n", path);
    }
    free(sprites);
    free(spritePointers);
    return status;
}
