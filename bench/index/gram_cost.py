#!/usr/bin/env python3
"""What lists of 3-byte grams would cost in the name sidecar, estimated from a tree's names.

    bench/index/gram_cost.py TREE

Folds every name under TREE as the sidecar does for ASCII (lower case), counts the names holding
each 2- and 3-byte gram, and prints how many 3-byte grams are made of two dense 2-byte grams
(held by more than one name in 16) and how many postings per name their lists would add when a
list is kept only up to one name in D, for several D. Not part of ctest.
"""
import collections
import os
import sys


def names_under(root):
    for folder, folders, files in os.walk(root):
        for name in folders + files:
            yield os.fsencode(name).lower()


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: gram_cost.py TREE")
    pairs, triples = collections.Counter(), collections.Counter()
    count = 0
    for name in names_under(sys.argv[1]):
        count += 1
        pairs.update({name[i:i + 2] for i in range(len(name) - 1)})
        triples.update({name[i:i + 3] for i in range(len(name) - 2)})
    dense = {gram for gram, held in pairs.items() if held > count // 16}
    of_dense = {gram: held for gram, held in triples.items() if gram[:2] in dense and gram[1:] in dense}
    print(f"{count} names; 2-byte grams {len(pairs)}, dense {len(dense)}; 3-byte grams {len(triples)}, "
          f"made of two dense ones {len(of_dense)}")
    listed = sum(held for gram, held in pairs.items() if gram not in dense)
    print(f"postings per name of the listed 2-byte grams: {listed / count:.2f}")
    for divisor in (16, 32, 64, 128):
        kept = {gram: held for gram, held in of_dense.items() if held <= count // divisor}
        print(f"3-byte lists kept up to one name in {divisor}: {len(kept)} lists, "
              f"{sum(kept.values()) / count:.2f} postings per name")


if __name__ == "__main__":
    main()
