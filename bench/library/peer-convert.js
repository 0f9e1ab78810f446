// The peer: one node process parses each ChordPro file with chordsheetjs and formats it back to
// ChordPro into the output folder. Usage: node peer-convert.js OUT FILE...
const fs = require('fs');
const path = require('path');
const { ChordProParser, ChordProFormatter } = require('chordsheetjs');

const [out, ...files] = process.argv.slice(2);
const formatter = new ChordProFormatter();
for (const file of files) {
  const song = new ChordProParser().parse(fs.readFileSync(file, 'utf8'));
  fs.writeFileSync(path.join(out, path.basename(file)), formatter.format(song));
}
