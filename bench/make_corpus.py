"""Build large benchmark corpora by repeating the real records of bench/data with fresh
identifiers (PMIDs from 90000000, WOS accession numbers from WOS:000000000000000).

usage: make_corpus.py pubmed N OUT.xml          one PubmedArticleSet of N articles
       make_corpus.py wos N OUT.txt             one Web of Science file of N records
       make_corpus.py pubmed-set N FILES DIR    N articles in FILES files pubmed_1.xml ...;
                                                the last one gzip-compressed (.xml.gz)
       make_corpus.py wos-set N FILES DIR       N records in FILES files wos_001.txt ...
"""
import glob, gzip, os, re, sys

S = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'data')


def pubmed_articles():
    arts = []
    for f in sorted(glob.glob(os.path.join(S, '*.xml'))):
        t = open(f, encoding='utf-8-sig').read()
        arts += re.findall(r'<PubmedArticle>.*?</PubmedArticle>', t, flags=re.S)
    return arts


def write_pubmed(fh, arts, first, count):
    fh.write('<?xml version="1.0"?>\n<PubmedArticleSet>\n')
    for i in range(first, first + count):
        a = arts[i % len(arts)]
        a = re.sub(r'(<PMID[^>]*>)\d+(</PMID>)', r'\g<1>%d\g<2>' % (90000000 + i), a, count=1)
        fh.write(a + '\n')
    fh.write('</PubmedArticleSet>\n')


def wos_records():
    recs = []
    for f in sorted(glob.glob(os.path.join(S, '*.txt'))):
        t = open(f, encoding='utf-8-sig', errors='replace').read().replace('\r\n', '\n')
        recs += re.findall(r'^PT .*?^ER\s*$', t, flags=re.S | re.M)
    return [r for r in recs if '\nCR ' in r] or recs


def write_wos(fh, recs, first, count):
    fh.write('FN Clarivate Analytics Web of Science\nVR 1.0\n')
    for i in range(first, first + count):
        r = re.sub(r'^UT .*$', 'UT WOS:%015d' % i, recs[i % len(recs)], flags=re.M)
        fh.write(r + '\n\n')
    fh.write('EF\n')


def shares(n, files):
    """The number of items of each of `files` files, as even as can be."""
    return [n // files + (1 if k < n % files else 0) for k in range(files)]


def pubmed(n, out):
    with open(out, 'w', encoding='utf-8') as fh:
        write_pubmed(fh, pubmed_articles(), 0, n)


def wos(n, out):
    with open(out, 'w', encoding='utf-8') as fh:
        write_wos(fh, wos_records(), 0, n)


def pubmed_set(n, files, folder):
    os.makedirs(folder, exist_ok=True)
    arts = pubmed_articles()
    first = 0
    for k, count in enumerate(shares(n, files), 1):
        name = os.path.join(folder, 'pubmed_%d.xml' % k)
        if k == files:
            with gzip.open(name + '.gz', 'wt', encoding='utf-8', compresslevel=6) as fh:
                write_pubmed(fh, arts, first, count)
        else:
            with open(name, 'w', encoding='utf-8') as fh:
                write_pubmed(fh, arts, first, count)
        first += count


def wos_set(n, files, folder):
    os.makedirs(folder, exist_ok=True)
    recs = wos_records()
    first = 0
    for k, count in enumerate(shares(n, files), 1):
        with open(os.path.join(folder, 'wos_%03d.txt' % k), 'w', encoding='utf-8') as fh:
            write_wos(fh, recs, first, count)
        first += count


if __name__ == '__main__':
    kind, n = sys.argv[1], int(sys.argv[2])
    if kind in ('pubmed', 'wos'):
        {'pubmed': pubmed, 'wos': wos}[kind](n, sys.argv[3])
    elif kind in ('pubmed-set', 'wos-set'):
        {'pubmed-set': pubmed_set, 'wos-set': wos_set}[kind](n, int(sys.argv[3]), sys.argv[4])
    else:
        sys.exit(__doc__)
