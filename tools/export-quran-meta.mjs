#!/usr/bin/env node
// Exports the Hafs layout tables of the pinned quran-meta package as one JSON document, the
// only part of the data build that needs JavaScript. pagora-pack reads the result.
//
// Usage: node export-quran-meta.mjs NODE_MODULES [OUT.json]   (stdout without OUT.json)

import { readFileSync, writeFileSync } from "node:fs";
import path from "node:path";
import { pathToFileURL } from "node:url";

function fail(message) {
  process.stderr.write(`export-quran-meta: ${message}\n`);
  process.exit(1);
}

if (process.argv.length < 3 || process.argv.length > 4) {
  fail("usage: node export-quran-meta.mjs NODE_MODULES [OUT.json]");
}
const nodeModules = path.resolve(process.argv[2]);
const outFile = process.argv[3];
const packageDir = path.join(nodeModules, "quran-meta");

let pkg;
try {
  pkg = JSON.parse(readFileSync(path.join(packageDir, "package.json"), "utf8"));
} catch (e) {
  fail(`cannot read ${path.join(packageDir, "package.json")} (run npm ci): ${e.message}`);
}

const importDist = (file) => import(pathToFileURL(path.join(packageDir, "dist", file)).href);
const hafs = await importDist("hafs.js");
const i18n = await importDist(path.join("i18n", "index.js"));

const { meta } = hafs;
const toSuraVerse = (ayahId) => {
  const [sura, verse] = hafs.findSurahAyahByAyahId(ayahId);
  return [sura, verse];
};

// PageList, JuzList and SurahList hold one leading filler and one trailing sentinel entry.
const pageStarts = [];
for (let page = 1; page <= meta.numPages; ++page) {
  pageStarts.push(toSuraVerse(hafs.PageList[page]));
}
const juzStarts = [];
for (let juz = 1; juz <= meta.numJuzs; ++juz) {
  const ayahId = hafs.JuzList[juz];
  juzStarts.push({ start: toSuraVerse(ayahId), page: hafs.findPagebyAyahId(ayahId) });
}
// HizbQuarterList likewise: entry q (1 to 240) is the first verse of quarter q.
const hizbQuarterStarts = [];
for (let quarter = 1; quarter <= meta.numRubAlHizbs; ++quarter) {
  const ayahId = hafs.HizbQuarterList[quarter];
  hizbQuarterStarts.push({ start: toSuraVerse(ayahId), page: hafs.findPagebyAyahId(ayahId) });
}
const suras = [];
for (let sura = 1; sura <= meta.numSurahs; ++sura) {
  const [startAyahId, verseCount, , , name] = hafs.SurahList[sura];
  const names = i18n.surahNamesEn[sura];
  suras.push({
    number: sura,
    verses: verseCount,
    page: hafs.findPagebyAyahId(startAyahId),
    name,
    transliteration: names[0],
    english: names[1],
  });
}

// Known facts of the 604-page Madani mushaf: a wrong table must not reach the archives.
const same = (a, b) => a[0] === b[0] && a[1] === b[1];
const checks = [
  [meta.riwayaName === "Hafs", `riwaya is ${meta.riwayaName}`],
  [pageStarts.length === 604, `${pageStarts.length} pages`],
  [juzStarts.length === 30, `${juzStarts.length} juz`],
  [hizbQuarterStarts.length === 240, `${hizbQuarterStarts.length} hizb quarters`],
  [hizbQuarterStarts[0].page === 1 && hizbQuarterStarts[4].page === 11 &&
     hizbQuarterStarts[239].page === 599,
   "hizb 1 / 2 / quarter 240 start pages"],
  [suras.length === 114, `${suras.length} suras`],
  [meta.numAyahs === 6236, `${meta.numAyahs} verses`],
  [suras.reduce((n, s) => n + s.verses, 0) === 6236, "verse counts do not add up to 6236"],
  [same(pageStarts[0], [1, 1]), "page 1 does not start at 1:1"],
  [same(pageStarts[1], [2, 1]), "page 2 does not start at 2:1"],
  [same(pageStarts[186], [9, 1]), "page 187 does not start at 9:1"],
  [same(pageStarts[603], [112, 1]), "page 604 does not start at 112:1"],
  [suras[8].page === 187 && suras[113].page === 604, "sura 9 / 114 start pages"],
  [juzStarts[0].page === 1 && juzStarts[1].page === 22 && juzStarts[29].page === 582,
   "juz 1 / 2 / 30 start pages"],
];
for (const [ok, what] of checks) {
  if (!ok) fail(`quran-meta ${pkg.version} fails a Madani layout check: ${what}`);
}
for (let p = 1; p < pageStarts.length; ++p) {
  const [a, b] = [pageStarts[p - 1], pageStarts[p]];
  if (!(b[0] > a[0] || (b[0] === a[0] && b[1] > a[1]))) {
    fail(`page starts are not increasing at page ${p + 1}`);
  }
}

const doc = {
  source: { package: pkg.name, version: pkg.version, license: pkg.license, riwaya: meta.riwayaName },
  pageStarts,
  juzStarts,
  hizbQuarterStarts,
  suras,
};
const text = JSON.stringify(doc) + "\n";
if (outFile) {
  writeFileSync(outFile, text);
} else {
  process.stdout.write(text);
}
